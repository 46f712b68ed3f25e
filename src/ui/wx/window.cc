// Dialog models as toolkit windows: a binder builds the controls of a
// Dialog on a wxDialog (modal) or a wxFrame (the top-level window with its
// menus, tool bar and message bar), turns user input into model events and
// model changes into control updates.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/treectrl.h>
#if ARDENTIX_WX_WEBVIEW
#include <wx/webview.h>
#endif

#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>

#include "ui/wx/internal.h"

namespace ardentix::ui::desktop {

namespace {

WindowObserver& Observer() {
  static WindowObserver observer;
  return observer;
}

// Model handlers run feature code; an exception that leaves one ends in the
// error trap with the exception still in hand.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    std::terminate();
  }
}

// Lists and grids: rows come from the model control as the list draws them,
// so a list of millions of lines costs nothing until it is scrolled.
class ListView : public wxListCtrl {
 public:
  ListView(wxWindow* parent, const Control& control)
      : wxListCtrl(parent, wxID_ANY, wxPoint(control.rect.x, control.rect.y),
                   wxSize(control.rect.width, control.rect.height),
                   wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN |
                       (control.kind == ControlKind::kGrid ? 0 : wxLC_NO_HEADER) |
                       (control.multi_select ? 0 : wxLC_SINGLE_SEL)),
        control_(control) {}

  void Refill() {
    ClearAll();
    if (control_.kind == ControlKind::kGrid) {
      const int width =
          control_.columns.empty()
              ? control_.rect.width
              : std::max(60, control_.rect.width / static_cast<int>(control_.columns.size()));
      for (std::size_t i = 0; i < control_.columns.size(); ++i) {
        AppendColumn(FromLatin1(control_.columns[i]), wxLIST_FORMAT_LEFT, width);
      }
      SetItemCount(static_cast<long>(control_.cells.size()));
    } else {
      // The column is as wide as the widest of the first rows, so long
      // lines scroll sideways.
      int width = control_.rect.width - 24;
      const std::size_t count = control_.RowCount();
      for (std::size_t i = 0; i < count && i < 500; ++i) {
        width = std::max(width, GetTextExtent(FromLatin1(control_.Row(i))).GetWidth() + 12);
      }
      AppendColumn(wxString(), wxLIST_FORMAT_LEFT, width);
      SetItemCount(static_cast<long>(count));
    }
    for (int row : control_.selected) {
      if (row >= 0 && row < GetItemCount()) {
        SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                     wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        EnsureVisible(row);
      }
    }
    Refresh();
  }

  std::string RowText(long row) const {
    std::string text;
    const int columns = std::max(1, GetColumnCount());
    for (int c = 0; c < columns; ++c) {
      if (c > 0) text += " | ";
      text += ToLatin1(OnGetItemText(row, c));
    }
    return text;
  }

 protected:
  wxString OnGetItemText(long item, long column) const override {
    const auto row = static_cast<std::size_t>(item);
    if (control_.kind == ControlKind::kGrid) {
      if (row < control_.cells.size() &&
          static_cast<std::size_t>(column) < control_.cells[row].size()) {
        return FromLatin1(control_.cells[row][static_cast<std::size_t>(column)]);
      }
      return wxString();
    }
    return FromLatin1(control_.Row(row));
  }

 private:
  const Control& control_;
};

class NodeData : public wxTreeItemData {
 public:
  explicit NodeData(int index) : index(index) {}
  int index;
};

// Tree nodes are numbered 0, 1, 2... in depth-first order (a node before its
// children); that number is the index of the tree's select events.
void AddNodes(wxTreeCtrl* tree, const wxTreeItemId& parent, const TreeNode& node, int& counter) {
  for (const auto& child : node.children) {
    wxTreeItemId item =
        tree->AppendItem(parent, FromLatin1(child.text), -1, -1, new NodeData(counter++));
    AddNodes(tree, item, child, counter);
  }
}

class ModelTimer : public wxTimer {
 public:
  explicit ModelTimer(std::function<void()> tick) : tick_(std::move(tick)) {}
  void Notify() override { tick_(); }

 private:
  std::function<void()> tick_;
};

class Binder;
std::vector<Binder*>& OpenWindows() {
  static std::vector<Binder*> windows;
  return windows;
}

class Binder : public DialogView, public ShownWindow {
 public:
  Binder(Dialog& model, wxTopLevelWindow* top, wxWindow* canvas)
      : model_(model), top_(top), canvas_(canvas) {}
  ~Binder() override { Stop(); }
  Binder(const Binder&) = delete;
  Binder& operator=(const Binder&) = delete;

  std::function<void()> on_close;
  wxTopLevelWindow* top() const { return top_; }

  void Build() {
    model_.AttachView(this);
    if (auto* frame = dynamic_cast<wxFrame*>(top_)) BuildFrameParts(frame);
    for (const auto& control : model_.controls()) BuildControl(*control);
    top_->Bind(wxEVT_CLOSE_WINDOW, &Binder::OnCloseBox, this);
    top_->Bind(wxEVT_CHAR_HOOK, &Binder::OnKey, this);
  }

  // Starts the timers and tells the observer once the loop runs.
  void Start() {
    OpenWindows().push_back(this);
    for (const auto& spec : model_.timers()) {
      const std::string id = spec.id;
      auto timer = std::make_unique<ModelTimer>([this, id] { Fire(Event::Timer(id)); });
      const int ms = std::max(1, spec.milliseconds);
      if (spec.repeat) {
        timer->Start(ms);
      } else {
        timer->StartOnce(ms);
      }
      timers_.push_back(std::move(timer));
    }
    std::weak_ptr<bool> alive = alive_;
    wxTheApp->CallAfter([this, alive] {
      if (alive.expired() || stopped_) return;
      shown_ = true;
      if (Observer()) Observer()(*this, WindowStage::kShown);
    });
  }

  void Stop() {
    if (stopped_) return;
    stopped_ = true;
    for (auto& timer : timers_) timer->Stop();
    timers_.clear();
    auto& open = OpenWindows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (model_.view() == this) model_.AttachView(nullptr);
    if (shown_ && Observer()) Observer()(*this, WindowStage::kClosed);
  }

  void Fire(const Event& event) {
    if (stopped_) return;
    Guarded([&] { model_.Fire(event); });
  }

  // --- DialogView -----------------------------------------------------------
  void ControlChanged(const Control& control) override {
    auto it = widgets_.find(control.id);
    if (it == widgets_.end()) return;
    Update(it->second);
  }
  void TitleChanged(const std::string& title) override { top_->SetTitle(FromLatin1(title)); }
  void CloseRequested() override {
    if (on_close) on_close();
  }

  // --- ShownWindow ----------------------------------------------------------
  Dialog& model() override { return model_; }
  std::vector<std::string> Texts() override;
  bool SavePng(const std::string& path) override;
  bool Press(const std::string& id) override;
  bool Highlight(const std::string& id) override;

 private:
  struct Bound {
    Control* control = nullptr;
    wxWindow* widget = nullptr;
    bool crlf = false;  // multi-line edits: the model's lines end in CR LF
  };

  void BuildFrameParts(wxFrame* frame);
  void BuildControl(Control& control);
  void Update(Bound& bound);
  void OnCloseBox(wxCloseEvent& event);
  void OnKey(wxKeyEvent& event);

  Dialog& model_;
  wxTopLevelWindow* top_;
  wxWindow* canvas_;
  std::map<std::string, Bound> widgets_;
  std::map<int, std::string> commands_;  // menu item and tool ids -> model ids
  std::vector<std::unique_ptr<ModelTimer>> timers_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool updating_ = false;
  bool shown_ = false;
  bool stopped_ = false;
};

void Binder::BuildFrameParts(wxFrame* frame) {
  int next_id = wxID_HIGHEST + 1;
  if (!model_.menus().empty()) {
    auto* bar = new wxMenuBar;
    for (const auto& menu : model_.menus()) {
      auto* items = new wxMenu;
      for (const auto& item : menu.items) {
        const int id = next_id++;
        items->Append(id, FromLatin1(item.text), FromLatin1(item.prompt));
        commands_[id] = item.id;
      }
      bar->Append(items, FromLatin1(menu.title));
    }
    frame->SetMenuBar(bar);
  }
  if (!model_.tool_buttons().empty()) {
    wxToolBar* tools = frame->CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER);
    tools->SetToolBitmapSize(wxSize(32, 32));
    for (const auto& button : model_.tool_buttons()) {
      const int id = next_id++;
      tools->AddTool(id, FromLatin1(button.text), Picture(button.picture, 32),
                     FromLatin1(button.tooltip), wxITEM_NORMAL);
      tools->SetToolLongHelp(id, FromLatin1(button.text));
      commands_[id] = button.id;
    }
    tools->Realize();
  }
  frame->CreateStatusBar(1);
  frame->Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
    auto it = commands_.find(event.GetId());
    if (it == commands_.end()) {
      event.Skip();
      return;
    }
    Fire(Event::Click(it->second));
  });
}

void Binder::BuildControl(Control& c) {
  const wxPoint pos(c.rect.x, c.rect.y);
  const wxSize size(c.rect.width, c.rect.height);
  const std::string id = c.id;
  wxWindow* widget = nullptr;
  switch (c.kind) {
    case ControlKind::kButton: {
      auto* button = new wxButton(canvas_, wxID_ANY, FromLatin1(c.text), pos, size);
      if (c.is_default) button->SetDefault();
      button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { Fire(Event::Click(id)); });
      widget = button;
      break;
    }
    case ControlKind::kLabel:
      widget =
          new wxStaticText(canvas_, wxID_ANY, FromLatin1(c.text), pos, size, wxST_NO_AUTORESIZE);
      break;
    case ControlKind::kEdit:
    case ControlKind::kMultiEdit: {
      const bool multi = c.kind == ControlKind::kMultiEdit;
      long style = c.read_only ? wxTE_READONLY : 0;
      if (multi) style |= wxTE_MULTILINE | wxTE_DONTWRAP | wxHSCROLL;
      auto* edit = new wxTextCtrl(canvas_, wxID_ANY, wxString(), pos, size, style);
      if (!multi && c.max_length > 0) edit->SetMaxLength(static_cast<unsigned long>(c.max_length));
      edit->Bind(wxEVT_TEXT, [this, id, edit, multi](wxCommandEvent&) {
        if (updating_) return;
        const Bound& bound = widgets_[id];
        Fire(Event::Change(
            id, multi ? FromEditLines(edit->GetValue(), bound.crlf) : ToLatin1(edit->GetValue())));
      });
      widget = edit;
      break;
    }
    case ControlKind::kCheckBox: {
      auto* check = new wxCheckBox(canvas_, wxID_ANY, FromLatin1(c.text), pos, size);
      check->Bind(wxEVT_CHECKBOX, [this, id](wxCommandEvent& event) {
        if (updating_) return;
        Fire(Event{EventKind::kChange, id, {}, event.IsChecked() ? 1 : 0});
      });
      widget = check;
      break;
    }
    case ControlKind::kList:
    case ControlKind::kGrid: {
      auto* list = new ListView(canvas_, c);
      // A multiple selection toggles rows: a select event fires for a row
      // the model does not hold yet, a deselect event for one it holds.
      auto held = [this, id](const wxListEvent& event) {
        const Control* control = model_.Find(id);
        const int row = static_cast<int>(event.GetIndex());
        return control != nullptr && control->multi_select &&
               std::find(control->selected.begin(), control->selected.end(), row) !=
                   control->selected.end();
      };
      list->Bind(wxEVT_LIST_ITEM_SELECTED, [this, id, held](wxListEvent& event) {
        if (updating_ || held(event)) return;
        Fire(Event::Select(id, static_cast<int>(event.GetIndex())));
      });
      list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this, id, held](wxListEvent& event) {
        if (updating_ || !held(event)) return;
        Fire(Event::Select(id, static_cast<int>(event.GetIndex())));
      });
      list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this, id](wxListEvent& event) {
        Fire(Event::Activate(id, static_cast<int>(event.GetIndex())));
      });
      widget = list;
      break;
    }
    case ControlKind::kDropDown: {
      auto* choice = new wxChoice(canvas_, wxID_ANY, pos, size);
      choice->Bind(wxEVT_CHOICE, [this, id](wxCommandEvent& event) {
        if (updating_) return;
        Fire(Event::Select(id, event.GetSelection()));
      });
      widget = choice;
      break;
    }
    case ControlKind::kTree: {
      auto* tree = new wxTreeCtrl(canvas_, wxID_ANY, pos, size,
                                  wxTR_DEFAULT_STYLE | wxTR_HIDE_ROOT | wxTR_SINGLE);
      auto index_of = [tree](const wxTreeItemId& item) {
        auto* data = item.IsOk() ? dynamic_cast<NodeData*>(tree->GetItemData(item)) : nullptr;
        return data != nullptr ? data->index : -1;
      };
      tree->Bind(wxEVT_TREE_SEL_CHANGED, [this, id, index_of](wxTreeEvent& event) {
        if (updating_) return;
        Fire(Event::Select(id, index_of(event.GetItem())));
      });
      tree->Bind(wxEVT_TREE_ITEM_ACTIVATED, [this, id, index_of](wxTreeEvent& event) {
        Fire(Event::Activate(id, index_of(event.GetItem())));
      });
      widget = tree;
      break;
    }
    case ControlKind::kGauge:
      widget = new wxGauge(canvas_, wxID_ANY, 100, pos, size, wxGA_HORIZONTAL | wxGA_SMOOTH);
      break;
    case ControlKind::kPicture:
      widget = new wxStaticBitmap(canvas_, wxID_ANY, wxNullBitmap, pos, size);
      break;
    case ControlKind::kWebView:
#if ARDENTIX_WX_WEBVIEW
      if (WebViewAvailable()) {
        widget = wxWebView::New(canvas_, wxID_ANY, FromPath(c.text), pos, size);
        break;
      }
#endif
      widget = new wxStaticText(canvas_, wxID_ANY, wxString(), pos, size);
      break;
  }
  if (widget == nullptr) return;
  if (c.kind != ControlKind::kWebView && c.kind != ControlKind::kPicture) {
    widget->SetFont(FontOf(c.font));
  }
  if (!c.tooltip.empty()) widget->SetToolTip(FromLatin1(c.tooltip));
  Bound& bound = widgets_[c.id];
  bound.control = &c;
  bound.widget = widget;
  Update(bound);
}

void Binder::Update(Bound& bound) {
  const Control& c = *bound.control;
  wxWindow* w = bound.widget;
  updating_ = true;
  w->Enable(c.enabled);
  w->Show(c.visible);
  switch (c.kind) {
    case ControlKind::kButton:
    case ControlKind::kLabel:
    case ControlKind::kCheckBox:
      if (w->GetLabel() != FromLatin1(c.text)) w->SetLabel(FromLatin1(c.text));
      if (auto* check = dynamic_cast<wxCheckBox*>(w)) check->SetValue(c.value != 0);
      break;
    case ControlKind::kEdit:
    case ControlKind::kMultiEdit: {
      auto* edit = static_cast<wxTextCtrl*>(w);
      wxString value;
      if (c.kind == ControlKind::kMultiEdit) {
        bound.crlf = c.text.find("\r\n") != std::string::npos;
        value = ToEditLines(c.text);
      } else {
        value = FromLatin1(c.text);
      }
      if (edit->GetValue() != value) edit->ChangeValue(value);
      break;
    }
    case ControlKind::kList:
    case ControlKind::kGrid:
      static_cast<ListView*>(w)->Refill();
      break;
    case ControlKind::kDropDown: {
      auto* choice = static_cast<wxChoice*>(w);
      choice->Clear();
      for (std::size_t i = 0; i < c.RowCount(); ++i) choice->Append(FromLatin1(c.Row(i)));
      if (c.Selection() >= 0 && static_cast<unsigned>(c.Selection()) < choice->GetCount()) {
        choice->SetSelection(c.Selection());
      } else if (!c.text.empty()) {
        choice->SetStringSelection(FromLatin1(c.text));
      }
      break;
    }
    case ControlKind::kTree: {
      auto* tree = static_cast<wxTreeCtrl*>(w);
      tree->DeleteAllItems();
      wxTreeItemId root = tree->AddRoot(FromLatin1(c.tree.text));
      int counter = 0;
      AddNodes(tree, root, c.tree, counter);
      break;
    }
    case ControlKind::kGauge:
      static_cast<wxGauge*>(w)->SetValue(std::clamp(c.value, 0, 100));
      break;
    case ControlKind::kPicture:
      static_cast<wxStaticBitmap*>(w)->SetBitmap(
          Picture(c.text, std::max(8, std::min(c.rect.width, c.rect.height))));
      break;
    case ControlKind::kWebView:
#if ARDENTIX_WX_WEBVIEW
      if (auto* web = dynamic_cast<wxWebView*>(w)) {
        if (web->GetCurrentURL() != FromPath(c.text)) web->LoadURL(FromPath(c.text));
        break;
      }
#endif
      static_cast<wxStaticText*>(w)->SetLabel("Opened in the web browser: " + FromPath(c.text));
      break;
  }
  updating_ = false;
}

void Binder::OnCloseBox(wxCloseEvent& event) {
  if (!model_.closed()) Fire(Event::CloseBox());
  // The model decides: a close handler may keep the window open.
  if (!model_.closed() && event.CanVeto()) {
    event.Veto();
    return;
  }
  if (!model_.closed()) {
    Guarded([&] { model_.Close(0); });
  }
}

void Binder::OnKey(wxKeyEvent& event) {
  if (event.GetKeyCode() != WXK_ESCAPE || model_.top_level()) {
    event.Skip();
    return;
  }
  for (const auto& control : model_.controls()) {
    if (control->kind == ControlKind::kButton && control->is_cancel && control->enabled &&
        control->visible) {
      Fire(Event::Click(control->id));
      return;
    }
  }
  Fire(Event::CloseBox());
}

std::vector<std::string> Binder::Texts() {
  std::vector<std::string> out;
  out.push_back("title: " + ToLatin1(top_->GetTitle()));
  if (auto* frame = dynamic_cast<wxFrame*>(top_)) {
    if (wxMenuBar* bar = frame->GetMenuBar()) {
      for (std::size_t m = 0; m < bar->GetMenuCount(); ++m) {
        out.push_back("menu: " + ToLatin1(bar->GetMenuLabelText(m)));
        for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
          out.push_back("item: " + ToLatin1(item->GetItemLabelText()) + " | " +
                        ToLatin1(item->GetHelp()));
        }
      }
    }
    if (wxToolBar* tools = frame->GetToolBar()) {
      for (std::size_t i = 0; i < tools->GetToolsCount(); ++i) {
        const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
        out.push_back("tool: " + ToLatin1(tool->GetShortHelp()) + " | " +
                      ToLatin1(tool->GetLongHelp()));
      }
    }
    if (wxStatusBar* status = frame->GetStatusBar()) {
      out.push_back("status: " + ToLatin1(status->GetStatusText(0)));
    }
  }
  for (const auto& control : model_.controls()) {
    auto it = widgets_.find(control->id);
    if (it == widgets_.end() || !it->second.widget->IsShown()) continue;
    wxWindow* w = it->second.widget;
    if (auto* button = dynamic_cast<wxButton*>(w)) {
      out.push_back("button: " + ToLatin1(button->GetLabelText()));
    } else if (auto* check = dynamic_cast<wxCheckBox*>(w)) {
      out.push_back("check: " + ToLatin1(check->GetLabelText()));
    } else if (auto* label = dynamic_cast<wxStaticText*>(w)) {
      out.push_back("label: " + ToLatin1(label->GetLabelText()));
    } else if (auto* edit = dynamic_cast<wxTextCtrl*>(w)) {
      out.push_back("edit: " + ToLatin1(edit->GetValue()));
    } else if (auto* list = dynamic_cast<ListView*>(w)) {
      for (long row = 0; row < list->GetItemCount() && row < 50; ++row) {
        out.push_back("list: " + list->RowText(row));
      }
    } else if (auto* choice = dynamic_cast<wxChoice*>(w)) {
      for (unsigned i = 0; i < choice->GetCount(); ++i) {
        out.push_back("choice: " + ToLatin1(choice->GetString(i)));
      }
    }
  }
  return out;
}

bool Binder::SavePng(const std::string& path) {
  // The toolkit reads the window's own pixels (a picture of the screen can
  // be stale on an X server without a compositor). The reader is looked up
  // at run time, so the backend needs no toolkit headers beyond wx.
  using WindowOf = void* (*)(void*);
  using PixelsOf = GdkPixbuf* (*)(void*, int, int, int, int);
  static auto window_of = reinterpret_cast<WindowOf>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static auto pixels_of =
      reinterpret_cast<PixelsOf>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
  if (window_of == nullptr || pixels_of == nullptr) return false;
  top_->Raise();
  top_->Update();
  const wxSize size = top_->GetSize();
  void* window = window_of(top_->GetHandle());
  GdkPixbuf* pixels = window != nullptr ? pixels_of(window, 0, 0, size.x, size.y) : nullptr;
  if (pixels == nullptr) return false;
  const wxBitmap bitmap(pixels);  // takes the pixels over
  return bitmap.SaveFile(FromPath(path), wxBITMAP_TYPE_PNG);
}

bool Binder::Press(const std::string& id) {
  if (id.empty()) {
    std::weak_ptr<bool> alive = alive_;
    wxTheApp->CallAfter([this, alive] {
      if (!alive.expired() && !stopped_) top_->Close();
    });
    return true;
  }
  auto it = widgets_.find(id);
  if (it != widgets_.end()) {
    auto* button = dynamic_cast<wxButton*>(it->second.widget);
    if (button == nullptr) return false;
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->AddPendingEvent(click);
    return true;
  }
  for (const auto& [wx_id, model_id] : commands_) {
    if (model_id == id) {
      wxCommandEvent click(wxEVT_MENU, wx_id);
      click.SetEventObject(top_);
      top_->GetEventHandler()->AddPendingEvent(click);
      return true;
    }
  }
  return false;
}

bool Binder::Highlight(const std::string& id) {
  auto* frame = dynamic_cast<wxFrame*>(top_);
  if (frame == nullptr) return false;
  for (const auto& [wx_id, model_id] : commands_) {
    if (model_id != id) continue;
    if (frame->GetMenuBar() != nullptr && frame->GetMenuBar()->FindItem(wx_id) != nullptr) {
      wxMenuEvent highlight(wxEVT_MENU_HIGHLIGHT, wx_id);
      highlight.SetEventObject(frame);
      frame->GetEventHandler()->ProcessEvent(highlight);
      return true;
    }
    if (wxToolBar* tools = frame->GetToolBar()) {
      tools->OnMouseEnter(wx_id);
      return true;
    }
  }
  return false;
}

}  // namespace

wxWindow* TopWindow() {
  const auto& open = OpenWindows();
  return open.empty() ? nullptr : open.back()->top();
}

void SetWindowObserver(WindowObserver observer) { Observer() = std::move(observer); }

namespace {
// A timer that runs its task once and then deletes itself.
class OneShot : public wxTimer {
 public:
  explicit OneShot(std::function<void()> task) : task_(std::move(task)) {}
  void Notify() override {
    std::function<void()> task = std::move(task_);
    wxTheApp->CallAfter([this] { delete this; });
    Guarded([&] { task(); });
  }

 private:
  std::function<void()> task_;
};
}  // namespace

void Later(int milliseconds, std::function<void()> task) {
  (new OneShot(std::move(task)))->StartOnce(std::max(1, milliseconds));
}

// In both runners the window goes before its binder, so nothing the
// window sends while it is taken down reaches a binder that is gone.
int RunDialogWindow(Dialog& dialog) {
  dialog.Reopen();
  long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
  if (dialog.maximized()) style |= wxRESIZE_BORDER | wxMAXIMIZE_BOX;
  std::unique_ptr<Binder> binder;
  wxDialog window(TopWindow(), wxID_ANY, FromLatin1(dialog.title()), wxDefaultPosition,
                  wxDefaultSize, style);
  window.SetEscapeId(wxID_NONE);
  binder = std::make_unique<Binder>(dialog, &window, &window);
  binder->Build();
  window.SetClientSize(dialog.width(), dialog.height());
  if (dialog.maximized()) {
    window.Maximize();
  } else {
    window.CentreOnParent();
  }
  binder->on_close = [&window, &dialog] {
    if (window.IsModal()) window.EndModal(dialog.result());
  };
  binder->Start();
  if (!dialog.closed()) window.ShowModal();
  binder->Stop();
  return dialog.result();
}

int RunFrameWindow(Dialog& model) {
  model.Reopen();
  auto* frame = new wxFrame(nullptr, wxID_ANY, FromLatin1(model.title()));
  auto* canvas = new wxPanel(frame);
  auto binder = std::make_unique<Binder>(model, frame, canvas);
  binder->Build();
  frame->SetClientSize(model.width(), model.height());
  wxIcon icon;
  icon.CopyFromBitmap(Picture("product", 32));
  frame->SetIcon(icon);
  frame->Centre();
  wxGUIEventLoop loop;
  bool running = false;
  binder->on_close = [&loop, &running] {
    if (running) loop.ScheduleExit(0);
  };
  frame->Show();
  if (model.maximized()) frame->Maximize();
  binder->Start();
  if (!model.closed()) {
    running = true;
    loop.Run();
    running = false;
  }
  binder->Stop();
  frame->Hide();
  delete frame;
  binder.reset();
  return model.result();
}

}  // namespace ardentix::ui::desktop
