#pragma once
// The selection part of the export, classify and status windows: the
// current message alone, or all messages related to it — sender, receiver,
// thread (mail: partner), section, the whole database, a word of the word
// index, a topic, the stored search result — with an optional date range.
// The current message is the browse's current line when the run starts.

#include <QWidget>
#include <cstdint>
#include <optional>

#include "app/gui/window_parts.h"
#include "export/selection.h"
#include "store/ui_port.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace qv::gui {

class MainWindow;

class SelectionPanel : public QWidget {
  Q_OBJECT

 public:
  // `caption`: the line above the choices (" Export all messages related to the current:" …).
  SelectionPanel(MainWindow& frame, const QString& caption, QWidget* parent = nullptr);

  exporting::SelectionCode code() const;
  // Chooses a selection; false when the database type does not offer it.
  bool setCode(exporting::SelectionCode code);
  // The selection's starting point and date range; nothing after saying
  // through the UI port what is missing (no current message, an unknown word…).
  struct Chosen {
    exporting::SelectionCode code = exporting::SelectionCode::Current;
    exporting::SelectionStart start{};
    std::optional<exporting::DateRange> range{};
  };
  std::optional<Chosen> chosen() const;
  // The browse's current message; nothing after saying that there is none.
  std::optional<std::uint32_t> currentMessage() const;
  // Reads the topics again (after the topic list changed).
  void reloadTopics();

  QComboBox* codeBox() const { return code_; }
  QLineEdit* wordField() const { return word_; }
  QComboBox* topicBox() const { return topic_; }
  QCheckBox* rangeBox() const { return range_.on; }
  QLineEdit* fromField() const { return range_.from; }
  QLineEdit* toField() const { return range_.to; }

 private:
  void updateFields();

  MainWindow& frame_;
  QComboBox* code_ = nullptr;
  QLineEdit* word_ = nullptr;
  QComboBox* topic_ = nullptr;
  DateRangeFields range_;
};

}  // namespace qv::gui
