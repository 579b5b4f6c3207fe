#include "platform/ui/qt/qt_dialog.h"

#include <cassert>
#include <utility>
#include <vector>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QTimer>

#include "platform/codepage/codepage.h"
#include "platform/ui/qt/dialog_font.h"

namespace ui::qt {

namespace {

// Set by tests alone: Wayland's way on any platform.
bool showBoxesAnew = false;

// The dialogs shown, innermost last.
std::vector<QPointer<DialogWindow>> shownDialogs;

QString FromAnsi(const std::string& text) {
  const std::u16string wide = platform::AnsiToWide(text);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

// A Windows ANSI control hands back '?' for what its code page lacks.
std::string ToAnsi(const QString& text) { return platform::WideToAnsi(text.toStdU16String(), '?'); }

// A double-click anywhere in the list, rows or empty space, is the list's NM_DBLCLK.
class DoubleClickFilter : public QObject {
 public:
  DoubleClickFilter(QObject* parent, DialogEvents& events, int controlId)
      : QObject(parent), events_(events), controlId_(controlId) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick)
      events_.OnControlNotify(controlId_, NM_DBLCLK);
    return false;
  }

 private:
  DialogEvents& events_;
  int controlId_;
};

QColor ColorOf(COLORREF color) {
  return QColor(static_cast<int>(GetRValue(color)), static_cast<int>(GetGValue(color)),
                static_cast<int>(GetBValue(color)));
}

// The framework's drawing calls on a QPainter over a widget.
class WidgetPainter : public Painter {
 public:
  WidgetPainter(QWidget& widget, QPainter& painter) : widget_(widget), painter_(painter) {}

  SIZE Size() const override { return {widget_.width(), widget_.height()}; }
  int Dpi() const override { return widget_.logicalDpiY(); }
  void FillRect(const RECT& rect, COLORREF color) override {
    painter_.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                      ColorOf(color));
  }
  void Line(POINT from, POINT to, int width, COLORREF color) override {
    // Slanted lines smoothed; level and upright ones stay on whole pixels, sharp.
    painter_.setRenderHint(QPainter::Antialiasing, from.x != to.x && from.y != to.y);
    painter_.setPen(QPen(ColorOf(color), width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter_.drawLine(from.x, from.y, to.x, to.y);
  }
  void Text(const RECT& box, const std::string& text, UINT format, COLORREF color) override {
    const Qt::Alignment horizontal = (format & DT_RIGHT)    ? Qt::AlignRight
                                     : (format & DT_CENTER) ? Qt::AlignHCenter
                                                            : Qt::AlignLeft;
    const Qt::Alignment vertical = (format & DT_BOTTOM)    ? Qt::AlignBottom
                                   : (format & DT_VCENTER) ? Qt::AlignVCenter
                                                           : Qt::AlignTop;
    painter_.setPen(ColorOf(color));
    painter_.drawText(QRect(box.left, box.top, box.right - box.left, box.bottom - box.top),
                      static_cast<int>(horizontal | vertical | Qt::TextSingleLine),
                      QString::fromUtf8(text));
  }
  SIZE TextSize(const std::string& text) override {
    const QFontMetrics metrics = painter_.fontMetrics();
    return {metrics.horizontalAdvance(QString::fromUtf8(text)), metrics.height()};
  }

 private:
  QWidget& widget_;
  QPainter& painter_;
};

// A static control that its dialog draws.
class OwnerDrawn : public QWidget {
 public:
  OwnerDrawn(QWidget* parent, DialogEvents& events, int controlId)
      : QWidget(parent), events_(events), controlId_(controlId) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    WidgetPainter drawing(*this, painter);
    events_.OnDrawItem(controlId_, drawing);
  }

 private:
  DialogEvents& events_;
  int controlId_;
};

// A report-style list view: Tab leaves it for the next control, and with full-row selection the
// focus mark goes round the whole current row, not round one cell.
class ReportList : public QTableWidget {
 public:
  explicit ReportList(QWidget* parent) : QTableWidget(0, 0, parent) {
    setTabKeyNavigation(false);
    setItemDelegate(new CellDelegate(this));
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QTableWidget::paintEvent(event);
    const QModelIndex current = currentIndex();
    if (!FullRow() || !hasFocus() || !current.isValid()) return;
    QStyleOptionFocusRect mark;
    mark.initFrom(this);
    mark.rect = visualRect(model()->index(current.row(), 0))
                    .united(visualRect(model()->index(current.row(), columnCount() - 1)));
    mark.backgroundColor = palette().color(QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &mark, &painter, this);
  }
  // The mark spans cells that the view would not repaint by themselves.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
    QTableWidget::currentChanged(current, previous);
    viewport()->update();
  }
  void focusInEvent(QFocusEvent* event) override {
    QTableWidget::focusInEvent(event);
    viewport()->update();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QTableWidget::focusOutEvent(event);
    viewport()->update();
  }

 private:
  bool FullRow() const { return selectionBehavior() == SelectRows; }

  class CellDelegate : public QStyledItemDelegate {
   public:
    explicit CellDelegate(ReportList* list) : QStyledItemDelegate(list), list_(list) {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
      QStyledItemDelegate::initStyleOption(option, index);
      if (list_->FullRow()) option->state &= ~QStyle::State_HasFocus;
    }

   private:
    const ReportList* list_;
  };
};

}  // namespace

// A window manager may give the focus to a dialog that a box blocks when it is clicked (xfwm4
// and sway do; mutter hands it to the box), and Qt passes it on only from a window that an
// application-modal box blocks. So the box takes it back: on X11 it asks for it; a Wayland client
// can neither raise its window nor take the focus, but a window that appears anew comes on top
// with the focus, so there the box is shown again.
bool DialogWindow::event(QEvent* event) {
  // On X11 Qt gives a clicked window the focus itself, past the window manager and the box that
  // blocks it (a transient's owner gets it by XSetInputFocus), and KWin keeps it there. A blocked
  // dialog takes no focus, as Windows disables the owner of a modal box.
  if ((event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked) &&
      windowHandle() != nullptr && QGuiApplication::platformName() == "xcb") {
    windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, event->type() == QEvent::WindowBlocked);
  }
  if (event->type() == QEvent::WindowActivate) {
    if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != this) {
      QTimer::singleShot(0, box, [box] {
        // A box answered since is hidden, on its way out: shown now, it would come back after its
        // answer. One that has come over it since keeps the focus.
        if (QApplication::activeModalWidget() != box) return;
        if (showBoxesAnew || QGuiApplication::platformName().startsWith("wayland")) {
          box->hide();
          box->show();
        } else {
          box->raise();
          box->activateWindow();
        }
      });
    }
  }
  return QDialog::event(event);
}

bool ShowBoxesAnewForTesting(bool anew) { return std::exchange(showBoxesAnew, anew); }

QtDialog::QtDialog(const DialogTemplate& dialog, DialogEvents& events)
    : events_(events), window_(std::make_unique<DialogWindow>(events)) {
  // A dialog without an owner blocks nothing else: the tray menu stays usable.
  window_->setWindowModality(Qt::NonModal);
  window_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  window_->setWindowTitle(QString::fromUtf8(dialog.caption));
  window_->setAccessibleName(window_->windowTitle());
  const QFont font = DialogFont(dialog);
  window_->setFont(font);
  const DialogBaseUnits units = BaseUnitsOf(font);
  const PixelRect client = DialogUnitsToPixels(units, 0, 0, dialog.cx, dialog.cy);
  window_->setFixedSize(client.width, client.height);

  QWidget* previous = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = Build(control);
    const PixelRect r = DialogUnitsToPixels(units, control.x, control.y, control.cx, control.cy);
    widget->setGeometry(r.x, r.y, r.width, r.height);
    widget->setVisible(IsVisible(control));
    widget->setProperty(kControlIdProperty, control.id);
    if (control.id != -1) controls_[control.id] = widget;
    if (IsTabStop(control)) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previous != nullptr) QWidget::setTabOrder(previous, widget);
      if (firstFocus_ == nullptr && IsVisible(control)) firstFocus_ = widget;
      previous = widget;
    } else if (IsRadioButton(control)) {
      // Out of the Tab order, but the arrow keys move the focus through the group to it.
      widget->setFocusPolicy(Qt::ClickFocus);
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
  }
  // A frame lies under the controls it frames and lets their clicks through.
  for (QGroupBox* frame : window_->findChildren<QGroupBox*>()) {
    frame->lower();
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  // Screen readers name an edit after the label on its row.
  for (const ControlTemplate& control : dialog.controls) {
    const ControlTemplate* label =
        control.controlClass == ControlClass::Edit ? LabelOf(dialog, control) : nullptr;
    if (label == nullptr) continue;
    QWidget* edit = controls_[control.id];
    edit->setAccessibleName(QString::fromUtf8(label->text));
    for (QLabel* l : window_->findChildren<QLabel*>()) {
      if (l->text() == QString::fromUtf8(label->text)) l->setBuddy(edit);
    }
  }
}

QWidget* QtDialog::Build(const ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  const int id = control.id;
  QWidget* widget = nullptr;
  switch (control.controlClass) {
    case ControlClass::Button:
      if (IsGroupBox(control)) {
        widget = new QGroupBox(text, window_.get());
      } else if (IsRadioButton(control)) {
        auto* radio = new QRadioButton(text, window_.get());
        // One choice in each group, which starts at a button with WS_GROUP.
        if ((control.style & WS_GROUP) || radioGroup_ == nullptr) {
          radioGroup_ = new QButtonGroup(window_.get());
        }
        radioGroup_->addButton(radio);
        QObject::connect(radio, &QRadioButton::clicked,
                         [this, id] { events_.OnControlNotify(id, BN_CLICKED); });
        widget = radio;
      } else if (IsCheckBox(control)) {
        auto* box = new QCheckBox(text, window_.get());
        QObject::connect(box, &QCheckBox::clicked,
                         [this, id] { events_.OnControlNotify(id, BN_CLICKED); });
        widget = box;
      } else {
        auto* button = new QPushButton(text, window_.get());
        button->setDefault(IsDefaultButton(control));
        QObject::connect(button, &QPushButton::clicked,
                         [this, id] { events_.OnControlNotify(id, BN_CLICKED); });
        widget = button;
      }
      break;
    case ControlClass::Edit: {
      if (IsMultiLineEdit(control)) {
        widget = BuildMultiLineEdit(control);
        break;
      }
      auto* edit = new QLineEdit(window_.get());
      if (IsPasswordEdit(control)) edit->setEchoMode(QLineEdit::Password);
      QObject::connect(edit, &QLineEdit::textEdited,
                       [this, id] { events_.OnControlNotify(id, EN_CHANGE); });
      widget = edit;
      break;
    }
    case ControlClass::Static:
      if (IsOwnerDrawn(control)) {
        widget = new OwnerDrawn(window_.get(), events_, id);
      } else {
        widget = new QLabel(text, window_.get());
      }
      break;
    case ControlClass::ListView: {
      auto* list = new ReportList(window_.get());
      list->verticalHeader()->hide();
      list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      list->horizontalHeader()->setHighlightSections(false);
      // Rows as tight as a list view's in report style.
      list->verticalHeader()->setMinimumSectionSize(1);
      list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 3);
      list->setEditTriggers(QAbstractItemView::NoEditTriggers);
      list->setSelectionMode(QAbstractItemView::ExtendedSelection);
      list->setSelectionBehavior(QAbstractItemView::SelectItems);
      list->setShowGrid(false);
      list->setWordWrap(false);
      list->setAccessibleName(window_->windowTitle());
      list->viewport()->installEventFilter(new DoubleClickFilter(list, events_, id));
      widget = list;
      break;
    }
  }
  if (!text.isEmpty()) widget->setAccessibleName(text);
  return widget;
}

QWidget* QtDialog::BuildMultiLineEdit(const ControlTemplate& control) {
  auto* edit = new QPlainTextEdit(window_.get());
  edit->setTabChangesFocus(true);  // Tab goes on to the next control, as in a dialog
  edit->setVerticalScrollBarPolicy((control.style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                                : Qt::ScrollBarAlwaysOff);
  if (control.style & ES_READONLY) {
    edit->setReadOnly(true);
    // Its text can still be selected and copied from the keyboard, and it shows on the dialog's
    // own face, as a read-only edit does.
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
  }
  QObject::connect(edit, &QPlainTextEdit::textChanged,
                   [this, id = control.id] { events_.OnControlNotify(id, EN_CHANGE); });
  return edit;
}

QTableWidget* QtDialog::List(int controlId) {
  auto* list = qobject_cast<QTableWidget*>(controls_.at(controlId));
  // The framework asks only for the lists of the template: any other id is a fault of ours.
  assert(list != nullptr && "the control is a list");
  return list;
}

QtDialog::~QtDialog() { std::erase(shownDialogs, window_.get()); }

void QtDialog::Show() {
  // A dialog opened from another (the hit list from the settings) belongs to it.
  MakeTransientFor(*window_, InnermostShownDialog());
  shownDialogs.emplace_back(window_.get());
  window_->show();
  window_->raise();
  window_->activateWindow();
  // As the dialog manager does: the first control that takes the tab key has the focus.
  if (firstFocus_ != nullptr) firstFocus_->setFocus();
}

void QtDialog::SetEnabled(bool enabled) {
  // Disabling takes the focus away; as the dialog manager does, it comes back to the control
  // that had it, not to the first one.
  if (!enabled) focusBeforeDisabled_ = window_->focusWidget();
  window_->setEnabled(enabled);
  if (!enabled) return;
  // As when a modal child ends on Windows, the owner becomes the active window again.
  window_->activateWindow();
  if (focusBeforeDisabled_ != nullptr) focusBeforeDisabled_->setFocus();
}

int QtDialog::GetCheck(int controlId) {
  const auto* box = qobject_cast<QAbstractButton*>(controls_.at(controlId));
  return box != nullptr && box->isCheckable() && box->isChecked() ? 1 : 0;
}

void QtDialog::SetCheck(int controlId, int state) {
  auto* box = qobject_cast<QAbstractButton*>(controls_.at(controlId));
  if (box != nullptr && box->isCheckable()) box->setChecked(state != 0);
}

std::string QtDialog::GetText(int controlId) {
  QWidget* control = controls_.at(controlId);
  if (const auto* edit = qobject_cast<QLineEdit*>(control)) return ToAnsi(edit->text());
  if (const auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
    return ToAnsi(edit->toPlainText().replace('\n', "\r\n"));
  }
  if (const auto* label = qobject_cast<QLabel*>(control)) return ToAnsi(label->text());
  return std::string();
}

void QtDialog::SetText(int controlId, const std::string& text) {
  QWidget* control = controls_.at(controlId);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(FromAnsi(text));
    return;  // a static text raises no notification
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(FromAnsi(text));
  if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
    const QSignalBlocker once(edit);  // the one notification follows
    edit->setPlainText(FromAnsi(text).replace("\r\n", "\n"));
  }
  events_.OnControlNotify(controlId, EN_CHANGE);
}

bool QtDialog::EnableControl(int controlId, bool enabled) {
  QWidget* control = controls_.at(controlId);
  const bool wasDisabled = control->testAttribute(Qt::WA_ForceDisabled);
  control->setEnabled(enabled);
  return wasDisabled;
}

void QtDialog::Invalidate(int controlId) { controls_.at(controlId)->update(); }

void QtDialog::SetPasswordChar(int controlId, char mask) {
  if (auto* edit = qobject_cast<QLineEdit*>(controls_.at(controlId))) {
    edit->setEchoMode(mask != 0 ? QLineEdit::Password : QLineEdit::Normal);
  }
}

bool QtDialog::InsertColumn(int controlId, int column, const std::string& title, int width) {
  QTableWidget* list = List(controlId);
  const int at = std::clamp(column, 0, list->columnCount());
  list->insertColumn(at);
  list->setHorizontalHeaderItem(at, new QTableWidgetItem(QString::fromUtf8(title.c_str())));
  list->setColumnWidth(at, width);
  return true;
}

int QtDialog::InsertItem(int controlId, int position, const std::string& text) {
  QTableWidget* list = List(controlId);
  const int at = std::clamp(position, 0, list->rowCount());
  list->insertRow(at);
  list->setItem(at, 0, new QTableWidgetItem(FromAnsi(text)));
  return at;
}

bool QtDialog::SetItemText(int controlId, int item, int subItem, const std::string& text) {
  QTableWidget* list = List(controlId);
  if (item < 0 || item >= list->rowCount() || subItem < 0 || subItem >= list->columnCount()) {
    return false;
  }
  list->setItem(item, subItem, new QTableWidgetItem(FromAnsi(text)));
  return true;
}

DWORD QtDialog::GetExtendedStyle(int controlId) { return extendedStyles_[controlId]; }

void QtDialog::SetExtendedStyle(int controlId, DWORD style) {
  extendedStyles_[controlId] = style;
  QTableWidget* list = List(controlId);
  list->setShowGrid(style & LVS_EX_GRIDLINES);
  list->setSelectionBehavior((style & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows
                                                            : QAbstractItemView::SelectItems);
}

bool QtDialog::IsItemSelected(int controlId, int item) {
  return List(controlId)->selectionModel()->rowIntersectsSelection(item, {});
}

int QtDialog::ItemCount(int controlId) { return List(controlId)->rowCount(); }

QWindow* InnermostShownDialog() {
  for (auto dialog = shownDialogs.rbegin(); dialog != shownDialogs.rend(); ++dialog) {
    if (*dialog != nullptr && (*dialog)->isVisible()) return (*dialog)->windowHandle();
  }
  return nullptr;
}

void MakeTransientFor(QWidget& window, QWindow* owner) {
  if (owner == nullptr) return;
  window.winId();  // the window system's window, which the owner is set on
  window.windowHandle()->setTransientParent(owner);
}

}  // namespace ui::qt
