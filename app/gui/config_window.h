#pragma once
// The configuration window: every setting of the configuration model as a
// field of its kind (number, choice, text, directory, colour, font, period,
// read-only), and "Save changes", which hands the edited values to the model
// and saves them. A refused value is said through the UI port with the rule
// it must follow, and nothing is saved.

#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "app/windows/config_window.h"
#include "store/ui_port.h"

class QPushButton;

namespace qv::gui {

class ConfigurationWindow : public QWidget {
  Q_OBJECT

 public:
  ConfigurationWindow(Context& ctx, UiPort& ui, QWidget* parent = nullptr);
  ~ConfigurationWindow() override;

  // The field of a setting, by its key ("locator-delay").
  QWidget* field(const std::string& key) const;
  QPushButton* saveButton() const { return save_; }
  // Takes every field's value and saves; true when all was stored.
  bool saveChanges();

 signals:
  void saved();

 private:
  QWidget* makeField(const ConfigWindow::Item& item);
  std::string fieldText(const ConfigWindow::Item& item, QWidget* field) const;

  UiPort& ui_;
  std::unique_ptr<ConfigWindow> model_;
  std::map<std::string, QWidget*> fields_;
  QPushButton* save_ = nullptr;
};

}  // namespace qv::gui
