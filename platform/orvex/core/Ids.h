// Identifier constants shared by every object that carries an ID.
#pragma once

namespace id {

// Never issued by an ID server.
constexpr long invalidID = -1;
// The first ID a server issues; above 0, so that 0 can mean "none" or "imported".
constexpr long initialID = 1;
// No server issues this ID or any above it: a server that reaches it has none left, and its
// state still fits the 32 bits in which other programs hold IDs.
constexpr long endID = 0x7FFFFFFF;
// An ID that a file may carry: one that a server issues, within 32 bits and below endID.
constexpr bool IsStorable(long id) { return id >= -endID - 1 && id < endID; }
// Command information kind of project datasets.
constexpr int kProjectDataset = 57301;

}  // namespace id
