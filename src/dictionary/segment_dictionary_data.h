// The constant tables behind the segment dictionary, for segment_dictionary.cc
// only: callers use segment_dictionary.h.
#ifndef ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_DATA_H_
#define ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_DATA_H_

#include <span>

#include "dictionary/segment_dictionary.h"

namespace ardentix::dictionary::data {

// The segment slots of table 1 to 7 (slot 1 first; nullptr for an empty
// slot); an empty span for any other table number.
std::span<const SegmentEntry* const> SegmentSlotsOf(int table);

}  // namespace ardentix::dictionary::data

#endif  // ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_DATA_H_
