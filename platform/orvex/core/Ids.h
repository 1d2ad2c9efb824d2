// Identifier constants shared by every object that carries an ID.
#pragma once

namespace id {

// Never issued by an ID server.
constexpr long invalidID = -1;
// The first ID a server issues; above 0, so that 0 can mean "none" or "imported".
constexpr long initialID = 1;
// Command information kind of project datasets.
constexpr int kProjectDataset = 57301;

}  // namespace id
