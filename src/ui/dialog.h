// The dialog and control model of the ui layer. Feature code builds a
// Dialog (title, size on the 640 x 480 design grid, controls, handlers) and
// reacts to its events; a backend (headless, terminal, scripted, wx) shows
// it. Nothing here knows about a toolkit.
#ifndef ARDENTIX_UI_DIALOG_H_
#define ARDENTIX_UI_DIALOG_H_

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix::ui {

// Layout units of the 640 x 480 design grid (W = 640, H = 480, scale 1).
struct Units {
  static constexpr int kRow = 16;          // INT(W / 40)
  static constexpr int kCol = 9;           // INT(H / 50)
  static constexpr double kFineRow = 16;   // W / 40
  static constexpr double kFineCol = 9.6;  // H / 50
  static constexpr int kSmallRow = 14;     // INT(W / 45)
  static constexpr int kSmallCol = 8;      // INT(H / 55)
  static constexpr int kTinyRow = 12;      // INT(W / 50)
  static constexpr int kTinyCol = 6;       // INT(H / 75)
  static constexpr int kDesignWidth = 640;
  static constexpr int kDesignHeight = 480;
};

// The five fonts of the program, all of face "Courier New".
enum class Font { kF1 = 1, kF2, kF3, kF4, kF5 };
struct FontSpec {
  const char* face;
  double width;
  double height;
  bool bold;
};
FontSpec SpecOf(Font font);  // F1 bold 9x16, F2 9.6x16, F3 bold 8x14, F4 6x12, F5 8x14

// A rectangle in design pixels: x is the column position, y the row position.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
// Position and size in row and column units: row r, column c, h rows high,
// w columns wide.
inline Rect Cells(double row, double col, double rows, double cols) {
  return Rect{static_cast<int>(col * Units::kCol), static_cast<int>(row * Units::kRow),
              static_cast<int>(cols * Units::kCol), static_cast<int>(rows * Units::kRow)};
}

enum class ControlKind {
  kButton,
  kLabel,
  kEdit,       // single-line edit field
  kMultiEdit,  // multi-line edit field
  kCheckBox,
  kList,  // list of lines (optionally virtual: rows from a source function)
  kDropDown,
  kTree,
  kGrid,
  kGauge,
  kPicture,
  kWebView,
};

struct TreeNode {
  std::string text;
  std::vector<TreeNode> children;
};

// A control. Feature code changes controls through Dialog's setters so that
// a showing backend hears about the change.
struct Control {
  std::string id;
  ControlKind kind = ControlKind::kLabel;
  Rect rect;
  Font font = Font::kF1;
  std::string text;  // caption, label text, edit value, picture or web address
  std::string tooltip;
  int max_length = 0;  // edit fields: 0 = no limit
  bool enabled = true;
  bool visible = true;
  bool read_only = false;
  bool is_default = false;  // the button Enter presses
  bool is_cancel = false;   // the button Escape presses
  bool multi_select = false;

  // Lists and drop-downs.
  std::vector<std::string> items;
  std::vector<int> selected;  // 0-based selected rows (one for single selection)
  // Virtual lists: when set, rows come from the source and `items` is unused.
  std::size_t row_count = 0;
  std::function<std::string(std::size_t)> row_source;

  // Grids: column titles and rows of cells.
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> cells;

  TreeNode tree;  // trees: the children of this root are the top-level nodes
  int value = 0;  // gauge (0..100) and check box (0/1)

  std::size_t RowCount() const { return row_source ? row_count : items.size(); }
  std::string Row(std::size_t i) const;
  int Selection() const { return selected.empty() ? -1 : selected.front(); }
};

enum class EventKind {
  kClick,     // button pressed
  kChange,    // edit text or check box changed by the user (Event::text / index)
  kSelect,    // list, drop-down or tree selection changed (Event::index)
  kActivate,  // list row double-clicked or Enter pressed on it (Event::index)
  kTimer,     // a timer of the dialog fired (control id is the timer id)
  kClose,     // the window's close box or Escape
};

struct Event {
  EventKind kind = EventKind::kClick;
  std::string control;
  std::string text;
  int index = -1;

  static Event Click(std::string id) { return Event{EventKind::kClick, std::move(id), {}, -1}; }
  static Event Change(std::string id, std::string text) {
    return Event{EventKind::kChange, std::move(id), std::move(text), -1};
  }
  static Event Select(std::string id, int index) {
    return Event{EventKind::kSelect, std::move(id), {}, index};
  }
  static Event Activate(std::string id, int index) {
    return Event{EventKind::kActivate, std::move(id), {}, index};
  }
  static Event Timer(std::string id) { return Event{EventKind::kTimer, std::move(id), {}, -1}; }
  static Event CloseBox() { return Event{EventKind::kClose, {}, {}, -1}; }
};

class Dialog;
using Handler = std::function<void(Dialog&, const Event&)>;

// What a showing backend implements to hear about model changes.
class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual void ControlChanged(const Control& control) = 0;
  virtual void TitleChanged(const std::string& /*title*/) {}
  virtual void CloseRequested() = 0;
};

struct TimerSpec {
  std::string id;
  int milliseconds = 0;
  bool repeat = false;
};

// Menus of top-level windows: items with a prompt for the message bar.
struct MenuItem {
  std::string id;
  std::string text;
  std::string prompt;  // message-bar text while the item is highlighted
};
struct Menu {
  std::string title;
  std::vector<MenuItem> items;
};
struct ToolButton {
  std::string id;
  std::string text;  // button text and message-bar text
  std::string tooltip;
  std::string picture;  // resource name of the picture
};

class Dialog {
 public:
  Dialog(std::string title, int width, int height);
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  const std::string& title() const { return title_; }
  void SetTitle(std::string title);
  int width() const { return width_; }
  int height() const { return height_; }
  // Top-level windows (the main window) have menus, a tool bar and a
  // message bar; dialogs have none.
  bool top_level() const { return top_level_; }
  void set_top_level(bool value) { top_level_ = value; }
  bool maximized() const { return maximized_; }
  void set_maximized(bool value) { maximized_ = value; }

  // Adds a control; ids must be unique within the dialog.
  Control& Add(ControlKind kind, std::string id, Rect rect, std::string text = {});
  Control& AddButton(std::string id, std::string text, Rect rect);
  Control& AddLabel(std::string id, std::string text, Rect rect);
  Control& AddEdit(std::string id, std::string text, Rect rect, int max_length = 0);
  Control& AddList(std::string id, std::vector<std::string> items, Rect rect);

  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  Control* Find(std::string_view id);
  const Control* Find(std::string_view id) const;
  // The control with this id; a missing id is a programming error (throws).
  Control& At(std::string_view id);
  const Control& At(std::string_view id) const;

  // Setters that notify the showing backend.
  void SetText(std::string_view id, std::string text);
  const std::string& Text(std::string_view id) const { return At(id).text; }
  void SetItems(std::string_view id, std::vector<std::string> items);
  void SetVirtualRows(std::string_view id, std::size_t count,
                      std::function<std::string(std::size_t)> source);
  void SetSelection(std::string_view id, int index);
  void SetValue(std::string_view id, int value);
  void SetEnabled(std::string_view id, bool enabled);
  void SetVisible(std::string_view id, bool visible);
  void SetCells(std::string_view id, std::vector<std::string> columns,
                std::vector<std::vector<std::string>> cells);
  void SetTree(std::string_view id, TreeNode root);
  // Tells the view that a control changed after direct edits to it.
  void Touch(std::string_view id);

  // Handlers. `On(id, kind, h)` runs h for that event of that control; an
  // empty id with kClose handles the close box.
  void On(std::string_view id, EventKind kind, Handler handler);
  void OnClick(std::string_view id, Handler handler) {
    On(id, EventKind::kClick, std::move(handler));
  }
  void OnClose(Handler handler) { On("", EventKind::kClose, std::move(handler)); }
  void AddTimer(TimerSpec timer, Handler handler);
  const std::vector<TimerSpec>& timers() const { return timers_; }

  // Menus and tool bar (top-level windows).
  void AddMenu(Menu menu) { menus_.push_back(std::move(menu)); }
  const std::vector<Menu>& menus() const { return menus_; }
  void AddToolButton(ToolButton button) { tool_buttons_.push_back(std::move(button)); }
  const std::vector<ToolButton>& tool_buttons() const { return tool_buttons_; }
  // Menu items and tool buttons fire kClick events with their id.

  // A user event from the backend: the model takes the event's data
  // (edit text, selection, check value) and the handlers run. Returns false
  // when the dialog has no such control or the control is disabled.
  bool Fire(const Event& event);

  // Ends the modal run with `result`. Without a close handler the close box
  // closes the dialog with result 0.
  void Close(int result = 0);
  bool closed() const { return closed_; }
  int result() const { return result_; }
  // Backends call this before showing a dialog again.
  void Reopen() {
    closed_ = false;
    result_ = 0;
  }

  void AttachView(DialogView* view) { view_ = view; }
  DialogView* view() const { return view_; }

 private:
  void Notify(const Control& control);

  std::string title_;
  int width_;
  int height_;
  bool top_level_ = false;
  bool maximized_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
  std::multimap<std::pair<std::string, EventKind>, Handler> handlers_;
  std::vector<TimerSpec> timers_;
  std::vector<Menu> menus_;
  std::vector<ToolButton> tool_buttons_;
  bool closed_ = false;
  int result_ = 0;
  DialogView* view_ = nullptr;
};

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_DIALOG_H_
