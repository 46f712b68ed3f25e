// Cutting a loaded list into the parts the dispatcher hands to handlers.
//
//   ExtractInterchange(list, k): interchange k (batch k), from its ISA up to
//     the next ISA, its IEA included.
//   ExtractSet(list, k): transaction set k inside its envelope (the ISA, the
//     GS of the set's own group, the set, then the GE and IEA that follow),
//     with the set's claim units renumbered from 1 by its type (835 by CLP,
//     837 and 277 by subscriber HL), padded with empty records to the range
//     plus four.
//   MergeSets(list): the sets of one interchange as one list: everything in
//     front of the first SE, then only records that carry a set claim number;
//     set claim numbers renumbered from 1 over all sets; the last selected
//     record replaced by an empty record.
// Every result shares the source's buffer. An out-of-range k gives an empty list.
#ifndef ARDENTIX_X12_PARTS_H_
#define ARDENTIX_X12_PARTS_H_

#include <cstddef>

#include "x12/segment_list.h"

namespace ardentix::x12 {

SegmentList ExtractInterchange(const SegmentList& list, std::size_t k);
SegmentList ExtractSet(const SegmentList& list, std::size_t k);
SegmentList MergeSets(const SegmentList& list);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_PARTS_H_
