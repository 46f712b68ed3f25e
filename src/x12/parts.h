// Cutting a loaded list into the parts the dispatcher hands to handlers.
//
//   ExtractInterchange(list, k): interchange k (batch k), from its ISA up to
//     the next ISA, its IEA included.
//   ExtractSet(list, k): transaction set k inside its envelope (the first
//     ISA in front of the set, the GS of the set's own group, the set, then
//     the first GE and the first IEA after the set's range), with the set's
//     claim units renumbered from 1 by its type (835 by CLP, 837 and 277 by
//     subscriber HL), padded with empty records to the range plus four.
//   PartCuts: the same parts of one list taken one after the other. It finds
//     the bounds of every interchange and set in one pass, so cutting a file
//     into all its parts costs one pass plus one copy of each part's records
//     (ExtractInterchange and ExtractSet pass over the list on every call).
//   MergeSets(list): the sets of one interchange as one list: everything in
//     front of the first SE, then only records that carry a set claim number;
//     set claim numbers renumbered from 1 over all sets; the last selected
//     record replaced by an empty record.
// Every result shares the source's buffer. An out-of-range k gives an empty list.
#ifndef ARDENTIX_X12_PARTS_H_
#define ARDENTIX_X12_PARTS_H_

#include <cstddef>
#include <vector>

#include "x12/segment_list.h"

namespace ardentix::x12 {

SegmentList ExtractInterchange(const SegmentList& list, std::size_t k);
SegmentList ExtractSet(const SegmentList& list, std::size_t k);
SegmentList MergeSets(const SegmentList& list);

class PartCuts {
 public:
  // `list` must outlive the cuts and stay unchanged while they are used.
  explicit PartCuts(const SegmentList& list);

  const SegmentList& list() const { return *list_; }
  std::size_t interchanges() const { return isa_.size(); }
  std::size_t sets() const { return st_.size(); }
  // What ExtractInterchange(list(), k) and ExtractSet(list(), k) give.
  SegmentList Interchange(std::size_t k) const;
  SegmentList Set(std::size_t k) const;

 private:
  const SegmentList* list_;
  // Record numbers of the envelope segments, in list order.
  std::vector<std::size_t> isa_, gs_, st_, ge_, iea_;
};

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_PARTS_H_
