// The configuration window: settings shown as fields of their kind, saved
// with "Save changes", a refused value said with its rule and nothing saved.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/gui/config_window.h"
#include "app/windows/config_window.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

TEST_F(GuiTest, ConfigurationIsEditedAndSavedThroughItsFields) {
  startFrame();
  gui::ConfigurationWindow window(app->ctx(), ui);
  auto* delay = qobject_cast<QSpinBox*>(window.field("locator-delay"));
  auto* persons = qobject_cast<QComboBox*>(window.field("message-persons"));
  auto* colour = window.field("delete-colour")->findChild<QLineEdit*>();
  ASSERT_NE(delay, nullptr);
  ASSERT_NE(persons, nullptr);
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(delay->value(), 15);

  delay->setValue(7);
  persons->setCurrentIndex(0);
  colour->setText("#00FF00");
  window.saveButton()->click();
  EXPECT_TRUE(ui.shown.empty());
  ConfigWindow reread(app->ctx());
  EXPECT_EQ(reread.value("locator-delay"), "7");
  EXPECT_EQ(reread.value("delete-colour"), "#00FF00");

  // A colour that is none: said, with nothing saved.
  colour->setText("green-ish");
  delay->setValue(9);
  EXPECT_FALSE(window.saveChanges());
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Configuration");
  EXPECT_EQ(ConfigWindow(app->ctx()).value("locator-delay"), "7");
}

}  // namespace
}  // namespace qv::test
