// Identifier constants shared by every object that carries an ID.
#pragma once

namespace id {

// Never issued by an ID server.
constexpr long invalidID = -1;
// The first ID a server issues; above 0, so that 0 can mean "none" or "imported".
constexpr long initialID = 1;
// No server issues this ID or any above it: other programs hold IDs in 32 bits.
constexpr long endID = 0x7FFFFFFF;
// An ID that a file may carry: within 32 bits, and below endID so that a server advanced past it
// still has an ID to issue.
constexpr bool IsStorable(long id) { return id >= -endID - 1 && id < endID; }
// Command information kind of project datasets.
constexpr int kProjectDataset = 57301;

}  // namespace id
