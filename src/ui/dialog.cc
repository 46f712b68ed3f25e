#include "ui/dialog.h"

#include <algorithm>
#include <stdexcept>

namespace ardentix::ui {

FontSpec SpecOf(Font font) {
  switch (font) {
    case Font::kF1:
      return {"Courier New", 9, 16, true};
    case Font::kF2:
      return {"Courier New", 9.6, 16, false};
    case Font::kF3:
      return {"Courier New", 8, 14, true};
    case Font::kF4:
      return {"Courier New", 6, 12, false};
    case Font::kF5:
      return {"Courier New", 8, 14, false};
  }
  return {"Courier New", 9, 16, true};
}

std::string Control::Row(std::size_t i) const {
  if (row_source) return i < row_count ? row_source(i) : std::string();
  return i < items.size() ? items[i] : std::string();
}

Dialog::Dialog(std::string title, int width, int height)
    : title_(std::move(title)), width_(width), height_(height) {}

void Dialog::SetTitle(std::string title) {
  title_ = std::move(title);
  if (view_) view_->TitleChanged(title_);
}

Control& Dialog::Add(ControlKind kind, std::string id, Rect rect, std::string text) {
  if (Find(id) != nullptr) throw std::logic_error("duplicate control id: " + id);
  auto control = std::make_unique<Control>();
  control->id = std::move(id);
  control->kind = kind;
  control->rect = rect;
  control->text = std::move(text);
  controls_.push_back(std::move(control));
  return *controls_.back();
}

Control& Dialog::AddButton(std::string id, std::string text, Rect rect) {
  return Add(ControlKind::kButton, std::move(id), rect, std::move(text));
}

Control& Dialog::AddLabel(std::string id, std::string text, Rect rect) {
  return Add(ControlKind::kLabel, std::move(id), rect, std::move(text));
}

Control& Dialog::AddEdit(std::string id, std::string text, Rect rect, int max_length) {
  Control& c = Add(ControlKind::kEdit, std::move(id), rect, std::move(text));
  c.max_length = max_length;
  return c;
}

Control& Dialog::AddList(std::string id, std::vector<std::string> items, Rect rect) {
  Control& c = Add(ControlKind::kList, std::move(id), rect);
  c.items = std::move(items);
  return c;
}

Control* Dialog::Find(std::string_view id) {
  for (auto& c : controls_) {
    if (c->id == id) return c.get();
  }
  return nullptr;
}

const Control* Dialog::Find(std::string_view id) const {
  for (const auto& c : controls_) {
    if (c->id == id) return c.get();
  }
  return nullptr;
}

Control& Dialog::At(std::string_view id) {
  Control* c = Find(id);
  if (c == nullptr) throw std::logic_error("no control " + std::string(id) + " in " + title_);
  return *c;
}

const Control& Dialog::At(std::string_view id) const {
  const Control* c = Find(id);
  if (c == nullptr) throw std::logic_error("no control " + std::string(id) + " in " + title_);
  return *c;
}

void Dialog::Notify(const Control& control) {
  if (view_) view_->ControlChanged(control);
}

void Dialog::SetText(std::string_view id, std::string text) {
  Control& c = At(id);
  if (c.max_length > 0 && text.size() > static_cast<std::size_t>(c.max_length)) {
    text.resize(static_cast<std::size_t>(c.max_length));
  }
  c.text = std::move(text);
  Notify(c);
}

void Dialog::SetItems(std::string_view id, std::vector<std::string> items) {
  Control& c = At(id);
  c.items = std::move(items);
  c.row_source = nullptr;
  c.row_count = 0;
  c.selected.clear();
  Notify(c);
}

void Dialog::SetVirtualRows(std::string_view id, std::size_t count,
                            std::function<std::string(std::size_t)> source) {
  Control& c = At(id);
  c.items.clear();
  c.row_count = count;
  c.row_source = std::move(source);
  c.selected.clear();
  Notify(c);
}

void Dialog::SetSelection(std::string_view id, int index) {
  Control& c = At(id);
  c.selected.clear();
  if (index >= 0) c.selected.push_back(index);
  Notify(c);
}

void Dialog::SetValue(std::string_view id, int value) {
  Control& c = At(id);
  c.value = value;
  Notify(c);
}

void Dialog::SetEnabled(std::string_view id, bool enabled) {
  Control& c = At(id);
  c.enabled = enabled;
  Notify(c);
}

void Dialog::SetVisible(std::string_view id, bool visible) {
  Control& c = At(id);
  c.visible = visible;
  Notify(c);
}

void Dialog::SetCells(std::string_view id, std::vector<std::string> columns,
                      std::vector<std::vector<std::string>> cells) {
  Control& c = At(id);
  c.columns = std::move(columns);
  c.cells = std::move(cells);
  Notify(c);
}

void Dialog::SetTree(std::string_view id, TreeNode root) {
  Control& c = At(id);
  c.tree = std::move(root);
  Notify(c);
}

void Dialog::Touch(std::string_view id) { Notify(At(id)); }

void Dialog::On(std::string_view id, EventKind kind, Handler handler) {
  handlers_.emplace(std::make_pair(std::string(id), kind), std::move(handler));
}

void Dialog::AddTimer(TimerSpec timer, Handler handler) {
  On(timer.id, EventKind::kTimer, std::move(handler));
  timers_.push_back(std::move(timer));
}

bool Dialog::Fire(const Event& event) {
  if (closed_) return false;
  if (event.kind == EventKind::kClose) {
    const auto range = handlers_.equal_range({std::string(), EventKind::kClose});
    if (range.first == range.second) {
      Close(0);
      return true;
    }
    for (auto it = range.first; it != range.second; ++it) it->second(*this, event);
    return true;
  }
  bool known = false;
  if (Control* c = Find(event.control)) {
    if (!c->enabled || !c->visible) return false;
    known = true;
    switch (event.kind) {
      case EventKind::kChange:
        if (c->kind == ControlKind::kCheckBox) {
          c->value = event.index != 0 ? 1 : 0;
        } else {
          c->text = event.text;
          if (c->max_length > 0 && c->text.size() > static_cast<std::size_t>(c->max_length)) {
            c->text.resize(static_cast<std::size_t>(c->max_length));
          }
        }
        break;
      case EventKind::kSelect:
      case EventKind::kActivate:
        if (event.index >= 0 && static_cast<std::size_t>(event.index) >= c->RowCount() &&
            c->kind != ControlKind::kTree && c->kind != ControlKind::kGrid) {
          return false;
        }
        if (c->multi_select && event.kind == EventKind::kSelect) {
          // Toggle the row in a multiple selection.
          auto it = std::find(c->selected.begin(), c->selected.end(), event.index);
          if (it == c->selected.end()) {
            c->selected.push_back(event.index);
          } else {
            c->selected.erase(it);
          }
        } else {
          c->selected.clear();
          if (event.index >= 0) c->selected.push_back(event.index);
        }
        if (c->kind == ControlKind::kDropDown && event.index >= 0) {
          c->text = c->Row(static_cast<std::size_t>(event.index));
        }
        break;
      default:
        break;
    }
  } else {
    for (const auto& menu : menus_) {
      for (const auto& item : menu.items) known = known || item.id == event.control;
    }
    for (const auto& button : tool_buttons_) known = known || button.id == event.control;
    for (const auto& timer : timers_) known = known || timer.id == event.control;
  }
  if (!known) return false;
  const auto range = handlers_.equal_range({event.control, event.kind});
  for (auto it = range.first; it != range.second && !closed_; ++it) it->second(*this, event);
  return true;
}

void Dialog::Close(int result) {
  if (closed_) return;
  closed_ = true;
  result_ = result;
  if (view_) view_->CloseRequested();
}

}  // namespace ardentix::ui
