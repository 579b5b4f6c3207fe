#pragma once

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QVariantMap>

#include "platform/ui/templates.h"

namespace ui::qt {

// An entry of the menu's layout, (ia{sv}av): its id, its properties and its children, each a
// layout of its own in a variant.
struct DBusMenuLayout {
  int id = 0;
  QVariantMap properties;
  QVariantList children;
};

// (ia{sv}): an entry's id and its properties.
struct DBusMenuEntry {
  int id = 0;
  QVariantMap properties;
};

// (isvu): an event on an entry, as a panel reports several at once.
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data{0};  // a value, so that Qt can work out the type's D-Bus signature
  uint timestamp = 0;
};

// A menu of the program's, exported over com.canonical.dbusmenu for a panel that draws it itself.
// Entry 0 is the menu; entry i is the template's item i - 1. A click on an entry goes to the
// framework as the tray menu's command.
class DBusMenu : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version MEMBER version_ CONSTANT)
  Q_PROPERTY(QString TextDirection MEMBER textDirection_ CONSTANT)
  Q_PROPERTY(QString Status MEMBER status_ CONSTANT)
  Q_PROPERTY(QStringList IconThemePath MEMBER iconThemePath_ CONSTANT)

 public:
  DBusMenu(const MenuTemplate& menu, QObject* parent);

  // Offers another of the program's menus from now on; a panel hears of it (LayoutUpdated).
  void Offer(const MenuTemplate& menu);

 public slots:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 ui::qt::DBusMenuLayout& layout);
  QList<ui::qt::DBusMenuEntry> GetGroupProperties(const QList<int>& ids,
                                                  const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const QList<ui::qt::DBusMenuEvent>& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 signals:
  void LayoutUpdated(uint revision, int parent);

 private:
  bool Exists(int id) const;
  QVariantMap PropertiesOf(int id, const QStringList& names) const;
  bool Clicked(int id, const QString& eventId) const;

  const MenuTemplate* menu_;
  uint revision_ = 1;  // of the layout, one more at each change of the menu
  uint version_ = 3;
  QString textDirection_ = "ltr";
  QString status_ = "normal";
  QStringList iconThemePath_;
};

}  // namespace ui::qt

Q_DECLARE_METATYPE(ui::qt::DBusMenuLayout)
Q_DECLARE_METATYPE(ui::qt::DBusMenuEntry)
Q_DECLARE_METATYPE(ui::qt::DBusMenuEvent)
