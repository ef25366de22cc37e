#pragma once

#include <QByteArray>

class InventoryModel;

// The inventory table as a file: the rows shown (the filter applies), every column, times as
// ISO 8601 in UTC with milliseconds, the signal strength in dBm as the module reports it.
namespace inventoryexport
{

// A header line, then one line per row; fields with a comma or quote are quoted.
QByteArray csv(const InventoryModel &model);
// {"reads":R,"rounds":K,"reads_per_second":X,"tags":[{"epc":...,"count":...}]}: the totals of
// the whole tally, the rows shown with the keys of rfidctl uhf inventory --json, and "uri" and
// "reads_per_second" besides.
QByteArray json(const InventoryModel &model);

} // namespace inventoryexport
