#include "service/described/clear_hit_table.h"

#include "state/watch_state.h"

void ClearHitTable() {
  HitTable& table = watchState.hitTable;
  for (auto* column : {&table.itemName, &table.itemCode, &table.itemPrice, &table.affiliateUrl,
                       &table.pointRate, &table.shopName, &table.rowIndex}) {
    for (auto& cell : *column) cell.clear();
  }
}
