#include "app/gui/config_window.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/gui/qt_text.h"

namespace qv::gui {

namespace {

constexpr const char* kTitle = "Configuration";

// A text field with a button that picks its value.
QWidget* withPicker(QLineEdit* edit, const QString& caption, const std::function<QString(const QString&)>& pick) {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(edit, 1);
  auto* button = new QPushButton(caption, box);
  row->addWidget(button);
  QObject::connect(button, &QPushButton::clicked, edit, [edit, pick] {
    const QString chosen = pick(edit->text());
    if (!chosen.isEmpty()) edit->setText(chosen);
  });
  box->setFocusProxy(edit);
  return box;
}

}  // namespace

ConfigurationWindow::ConfigurationWindow(Context& ctx, UiPort& ui, QWidget* parent)
    : QWidget(parent), ui_(ui), model_(std::make_unique<ConfigWindow>(ctx)) {
  setWindowTitle(kTitle);
  auto* layout = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* inner = new QWidget(scroll);
  auto* form = new QFormLayout(inner);
  for (const ConfigWindow::Item& item : model_->items()) {
    QWidget* f = makeField(item);
    f->setToolTip(fromStored(model_->rule(item.key)));
    fields_[item.key] = f;
    form->addRow(fromStored(item.description), f);
  }
  scroll->setWidget(inner);
  layout->addWidget(scroll, 1);
  save_ = new QPushButton("Save changes", this);
  layout->addWidget(save_, 0, Qt::AlignRight);
  connect(save_, &QPushButton::clicked, this, [this] { saveChanges(); });
}

ConfigurationWindow::~ConfigurationWindow() = default;

QWidget* ConfigurationWindow::field(const std::string& key) const {
  const auto found = fields_.find(key);
  return found != fields_.end() ? found->second : nullptr;
}

QWidget* ConfigurationWindow::makeField(const ConfigWindow::Item& item) {
  const QString value = fromStored(model_->value(item.key));
  using Kind = ConfigWindow::Kind;
  switch (item.kind) {
    case Kind::Number: {
      auto* spin = new QSpinBox;
      spin->setRange(static_cast<int>(std::max<std::int64_t>(item.min, INT32_MIN)),
                     static_cast<int>(std::min<std::int64_t>(item.max, INT32_MAX)));
      spin->setValue(value.toInt());
      return spin;
    }
    case Kind::Choice:
    case Kind::YesNo: {
      auto* combo = new QComboBox;
      for (const ConfigWindow::Choice& c : item.choices) combo->addItem(fromStored(c.label));
      combo->setCurrentText(value);
      return combo;
    }
    case Kind::ReadOnly: return new QLabel(value);
    case Kind::Colour:
      return withPicker(new QLineEdit(value), "Choose...", [this](const QString& now) {
        const QColor c = QColorDialog::getColor(QColor(now), this);
        return c.isValid() ? c.name().toUpper() : QString();
      });
    case Kind::Font:
      return withPicker(new QLineEdit(value), "Choose...", [this](const QString& now) {
        const QStringList parts = now.split(',');
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, QFont(parts.value(0), parts.value(1).toInt()), this);
        return ok ? QString("%1,%2").arg(f.family()).arg(f.pointSize()) : QString();
      });
    case Kind::Directory:
      return withPicker(new QLineEdit(value), "Browse...",
                        [this](const QString& now) { return QFileDialog::getExistingDirectory(this, kTitle, now); });
    case Kind::Text:
    case Kind::Period: return new QLineEdit(value);
  }
  return new QLabel(value);
}

std::string ConfigurationWindow::fieldText(const ConfigWindow::Item& item, QWidget* f) const {
  if (auto* spin = qobject_cast<QSpinBox*>(f)) return std::to_string(spin->value());
  if (auto* combo = qobject_cast<QComboBox*>(f)) return toStored(combo->currentText());
  if (auto* edit = qobject_cast<QLineEdit*>(f)) return toStored(edit->text());
  if (auto* edit = f->findChild<QLineEdit*>()) return toStored(edit->text());
  return model_->value(item.key);  // read-only
}

bool ConfigurationWindow::saveChanges() {
  for (const ConfigWindow::Item& item : model_->items()) {
    if (item.kind == ConfigWindow::Kind::ReadOnly) continue;
    const std::string text = fieldText(item, fields_.at(item.key));
    if (text == model_->value(item.key)) continue;
    const std::string refused = model_->set(item.key, text);
    if (!refused.empty()) {
      ui_.message(kTitle, item.description + ": " + refused, MessageKind::Error);
      fields_.at(item.key)->setFocus();
      return false;
    }
  }
  if (!model_->changed()) return true;
  if (model_->save() != kSettingsDone) return false;
  emit saved();
  return true;
}

}  // namespace qv::gui
