#pragma once

// kobanu --export-history: the price history's rows on standard output, as CSV in UTF-8 without
// the byte order mark, after the header line. 0, or 1 with one line on standard error when there
// is no history (no file, or not one row in it).
int RunExportHistoryCommand();
