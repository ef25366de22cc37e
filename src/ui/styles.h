#pragma once

#include <QString>

// The six looks of the "Stype" menu, at positions 0 to 5 of the style store.
namespace styles {

constexpr int kCount = 6;
QString name(int index);
// Loads the look at index and applies it to the application; an index past the store does nothing.
void apply(int index);

} // namespace styles
