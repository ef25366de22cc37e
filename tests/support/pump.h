#pragma once

#include <functional>

// Runs the event loop until done() holds or ms pass; says whether it holds.
bool pumpUntil(const std::function<bool()> &done, int ms);
// Runs the event loop for ms.
void pumpFor(int ms);
