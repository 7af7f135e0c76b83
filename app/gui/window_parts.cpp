#include "app/gui/window_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/gui/qt_text.h"
#include "topics/codes.h"
#include "wordindex/search_query.h"

namespace qv::gui {

PathRow addPathRow(QFormLayout& form, QWidget& parent, const QString& label, const QString& button) {
  PathRow r;
  auto* row = new QHBoxLayout();
  r.field = new QLineEdit(&parent);
  r.button = new QPushButton(button, &parent);
  row->addWidget(r.field, 1);
  row->addWidget(r.button);
  auto* named = new QLabel(label, &parent);
  named->setBuddy(r.field);
  form.addRow(named, row);
  return r;
}

void closeWorkWindow(QWidget& window) {
  if (QWidget* frame = window.parentWidget())
    frame->close();
  else
    window.close();
}

QHBoxLayout* dialogButtons(QWidget& window, QPushButton* run) {
  auto* row = new QHBoxLayout();
  run->setDefault(true);
  auto* close = new QPushButton("&Close", &window);
  row->addStretch(1);
  row->addWidget(run);
  row->addWidget(close);
  QObject::connect(close, &QPushButton::clicked, &window, [&window] { closeWorkWindow(window); });
  return row;
}

QHBoxLayout* sessionButtons(QWidget& window, QPushButton* start, QPushButton* end) {
  auto* row = new QHBoxLayout();
  end->hide();
  row->addStretch(1);
  row->addWidget(start);
  row->addWidget(end);
  QObject::connect(end, &QPushButton::clicked, &window, [&window] { closeWorkWindow(window); });
  return row;
}

void beginSession(QPushButton& start, QPushButton& end) {
  start.hide();
  end.show();
  end.setEnabled(false);
}

void fitWorkWindow(QWidget& window) {
  auto* sub = qobject_cast<QMdiSubWindow*>(window.parentWidget());
  if (sub == nullptr || sub->isMaximized()) return;
  // Lay out what was just filled in or shown first, so the size wanted counts it
  // (widgets added to a layout show through a queued call).
  QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  if (QLayout* layout = window.layout()) layout->activate();
  const QSize room = sub->mdiArea() != nullptr ? sub->mdiArea()->viewport()->size() : sub->size();
  const QSize short_ = (window.sizeHint() - window.size()).expandedTo(QSize(0, 0));
  sub->resize((sub->size() + short_).boundedTo(room));
}

void fillTopics(QComboBox& box, Context& ctx) {
  const QString was = box.currentText();
  box.clear();
  for (const Codes& c : topics::listCodes(ctx, CodeType::Topic))
    box.addItem(fromStored(c.INDEX.str()), QVariant::fromValue(std::uint32_t{c.ID}));
  const int at = box.findText(was);
  if (at >= 0) box.setCurrentIndex(at);
}

bool chooseItem(QComboBox& box, const QString& text) {
  const int at = box.findText(text);
  if (at < 0) return false;
  box.setCurrentIndex(at);
  return true;
}

DateRangeFields makeDateRange(QWidget& parent) {
  DateRangeFields f;
  f.row = new QHBoxLayout();
  f.on = new QCheckBox("&Date range", &parent);
  f.from = new QLineEdit(&parent);
  f.from->setPlaceholderText("YYYY-MM-DD");
  f.to = new QLineEdit(&parent);
  f.to->setPlaceholderText("YYYY-MM-DD");
  f.row->addWidget(f.on);
  f.row->addWidget(new QLabel("from", &parent));
  f.row->addWidget(f.from);
  f.row->addWidget(new QLabel("to", &parent));
  f.row->addWidget(f.to);
  const auto enable = [f](bool on) {
    f.from->setEnabled(on);
    f.to->setEnabled(on);
  };
  QObject::connect(f.on, &QCheckBox::toggled, &parent, enable);
  enable(false);
  return f;
}

std::optional<exporting::DateRange> dateRangeOf(const DateRangeFields& fields) {
  if (!fields.on->isChecked()) return std::nullopt;
  return exporting::DateRange{wordindex::parseDay(fields.from->text().trimmed().toStdString()).value_or(0),
                              wordindex::parseDay(fields.to->text().trimmed().toStdString()).value_or(0)};
}

}  // namespace qv::gui
