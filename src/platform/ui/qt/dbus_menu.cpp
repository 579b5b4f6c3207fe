#include "platform/ui/qt/dbus_menu.h"

#include <QDBusMetaType>

#include "platform/ui/backend.h"
#include "platform/ui/qt/dbus_structure.h"

namespace ui::qt {

QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuLayout& layout) {
  return WriteStructure(out, layout.id, layout.properties, layout.children);
}

const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuLayout& layout) {
  return ReadStructure(in, layout.id, layout.properties, layout.children);
}

QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuEntry& entry) {
  return WriteStructure(out, entry.id, entry.properties);
}

const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuEntry& entry) {
  return ReadStructure(in, entry.id, entry.properties);
}

QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuEvent& event) {
  return WriteStructure(out, event.id, event.eventId, event.data, event.timestamp);
}

const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuEvent& event) {
  return ReadStructure(in, event.id, event.eventId, event.data, event.timestamp);
}

DBusMenu::DBusMenu(const MenuTemplate& menu, QObject* parent) : QObject(parent), menu_(&menu) {
  qDBusRegisterMetaType<DBusMenuLayout>();
  qDBusRegisterMetaType<DBusMenuEntry>();
  qDBusRegisterMetaType<QList<DBusMenuEntry>>();
  qDBusRegisterMetaType<DBusMenuEvent>();
  qDBusRegisterMetaType<QList<DBusMenuEvent>>();
}

void DBusMenu::Offer(const MenuTemplate& menu) {
  if (&menu == menu_) return;
  menu_ = &menu;
  emit LayoutUpdated(++revision_, 0);
}

bool DBusMenu::Exists(int id) const {
  return id >= 0 && static_cast<size_t>(id) <= menu_->items.size();
}

// Only what differs from the defaults (a visible, enabled, standard entry without a label).
QVariantMap DBusMenu::PropertiesOf(int id, const QStringList& names) const {
  QVariantMap all;
  if (id == 0) {
    all["children-display"] = QString("submenu");
  } else if (const MenuItemTemplate& item = menu_->items[id - 1]; item.text == nullptr) {
    all["type"] = QString("separator");
  } else {
    // A single underscore would mark an access key.
    all["label"] = QString::fromUtf8(item.text).replace('_', "__");
  }
  if (names.isEmpty()) return all;
  QVariantMap asked;
  for (const QString& name : names) {
    if (all.contains(name)) asked[name] = all[name];
  }
  return asked;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                         DBusMenuLayout& layout) {
  if (!Exists(parentId)) {
    sendErrorReply(QDBusError::InvalidArgs, "no such entry");
    return 0;
  }
  layout = {parentId, PropertiesOf(parentId, propertyNames), {}};
  if (parentId == 0 && recursionDepth != 0) {
    for (int id = 1; Exists(id); ++id) {
      layout.children << QVariant::fromValue(
          DBusMenuLayout{id, PropertiesOf(id, propertyNames), {}});
    }
  }
  return revision_;
}

QList<DBusMenuEntry> DBusMenu::GetGroupProperties(const QList<int>& ids,
                                                  const QStringList& propertyNames) {
  QList<DBusMenuEntry> entries;
  for (int id = 0; Exists(id); ++id) {
    if (ids.isEmpty() || ids.contains(id))
      entries << DBusMenuEntry{id, PropertiesOf(id, propertyNames)};
  }
  return entries;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
  const QVariantMap properties = Exists(id) ? PropertiesOf(id, {name}) : QVariantMap();
  if (!properties.contains(name)) sendErrorReply(QDBusError::InvalidArgs, "no such property");
  return QDBusVariant(properties.value(name));
}

bool DBusMenu::Clicked(int id, const QString& eventId) const {
  if (id < 1 || !Exists(id)) return false;
  if (eventId == "clicked") DeliverTrayMenuCommand(menu_->items[id - 1].command);
  return true;
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (!Clicked(id, eventId)) sendErrorReply(QDBusError::InvalidArgs, "no such entry");
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent>& events) {
  QList<int> idErrors;
  for (const DBusMenuEvent& event : events) {
    if (!Clicked(event.id, event.eventId)) idErrors << event.id;
  }
  return idErrors;
}

bool DBusMenu::AboutToShow(int) { return false; }

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  for (const int id : ids) {
    if (!Exists(id)) idErrors << id;
  }
  return {};  // no entry needs an update
}

}  // namespace ui::qt
