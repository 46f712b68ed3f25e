#include "dictionary/segment_dictionary.h"

#include <algorithm>

#include "common/text.h"
#include "dictionary/segment_dictionary_data.h"

namespace ardentix::dictionary {
namespace {

constexpr CodeList kNoCodes{};

// Slot `number` (1-based) of `slots`, or nullptr when out of range.
template <typename T>
const T* SlotAt(std::span<T> slots, int number) {
  if (number < 1 || static_cast<std::size_t>(number) > slots.size()) return nullptr;
  return &slots[static_cast<std::size_t>(number) - 1];
}

}  // namespace

std::size_t CodeList::Find(std::string_view value, CodeMatch match) const {
  if (value.empty()) return npos;
  switch (match) {
    case CodeMatch::kExact: {
      // Equal codes sit together in the index in list order, so the first one
      // at the lower bound is the first in the list.
      const auto it = std::lower_bound(
          by_code_.begin(), by_code_.end(), value,
          [this](std::uint16_t pos, std::string_view v) { return pairs_[pos].code < v; });
      if (it == by_code_.end() || pairs_[*it].code != value) return npos;
      return *it;
    }
    case CodeMatch::kEntryBeginsWithValue:
      for (std::size_t i = 0; i < pairs_.size(); ++i) {
        if (LooseEquals(pairs_[i].code, value)) return i;
      }
      return npos;
    case CodeMatch::kValueBeginsWithEntry:
      for (std::size_t i = 0; i < pairs_.size(); ++i) {
        if (LooseEquals(value, pairs_[i].code)) return i;
      }
      return npos;
  }
  return npos;
}

std::string_view CodeList::Describe(std::string_view value, CodeMatch match) const {
  const std::size_t pos = Find(value, match);
  return pos == npos ? std::string_view{} : pairs_[pos].description;
}

int SegmentSlotCount(int table) { return static_cast<int>(data::SegmentSlotsOf(table).size()); }

const SegmentEntry* FindSegment(int table, int segment) {
  const SegmentEntry* const* slot = SlotAt(data::SegmentSlotsOf(table), segment);
  return slot == nullptr ? nullptr : *slot;
}

int ElementSlotCount(int table, int segment) {
  const SegmentEntry* seg = FindSegment(table, segment);
  return seg == nullptr ? 0 : static_cast<int>(seg->elements.size());
}

const ElementSlot* FindElementSlot(int table, int segment, int element) {
  const SegmentEntry* seg = FindSegment(table, segment);
  return seg == nullptr ? nullptr : SlotAt(seg->elements, element);
}

const ElementEntry* FindElement(int table, int segment, int element, int component) {
  const ElementSlot* slot = FindElementSlot(table, segment, element);
  if (slot == nullptr) return nullptr;
  if (component == 0) return slot->element;
  const ElementEntry* const* comp = SlotAt(slot->components, component);
  return comp == nullptr ? nullptr : *comp;
}

const CodeList& CodesAt(int table, int segment, int element, int component) {
  const ElementEntry* entry = FindElement(table, segment, element, component);
  return entry == nullptr ? kNoCodes : entry->codes;
}

const CodeList& CodesAt(const CodeListAt& at) {
  return CodesAt(at.table, at.segment, at.element, at.component);
}

std::string_view DescribeCode(const CodeListAt& at, std::string_view value, CodeMatch match) {
  return CodesAt(at).Describe(value, match);
}

QVX12Answer QVX12(int s, int e, int c, int t, int q) {
  QVX12Answer answer;
  if (s <= 0) {
    if (q == 1) answer.number = SegmentSlotCount(t);
    return answer;
  }
  if (e <= 0) {
    if (q == 1) answer.number = ElementSlotCount(t, s);
    return answer;
  }
  const ElementEntry* entry = FindElement(t, s, e, c > 0 ? c : 0);
  if (entry == nullptr) return answer;
  switch (q) {
    case 1:
      answer.number = 1;
      break;
    case 2:
      answer.number = static_cast<int>(entry->codes.size());
      break;
    case 3:
      answer.codes = entry->codes.pairs();
      break;
    default:
      break;
  }
  return answer;
}

}  // namespace ardentix::dictionary
