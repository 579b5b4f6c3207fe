#pragma once

#include <QDBusArgument>

namespace ui::qt {

// A D-Bus structure, "(...)", marshalled from its fields in their order: each type the tray sends
// or receives names its fields once per direction, and the structure is opened and closed here.
template <typename... Fields>
QDBusArgument& WriteStructure(QDBusArgument& out, const Fields&... fields) {
  out.beginStructure();
  (out << ... << fields);
  out.endStructure();
  return out;
}

template <typename... Fields>
const QDBusArgument& ReadStructure(const QDBusArgument& in, Fields&... fields) {
  in.beginStructure();
  (in >> ... >> fields);
  in.endStructure();
  return in;
}

}  // namespace ui::qt
