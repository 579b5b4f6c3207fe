#pragma once

#include "state/hit_table.h"

// Empties every cell of the hit table; hitCount stays as it is.
void ClearHitTable();
