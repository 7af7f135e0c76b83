// Import definitions: storing, reading back and removing them with their
// file specifications and task links, and saving a wizard run.
#include "import/definitions.h"

#include <gtest/gtest.h>

#include "store/config.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using engine::Err;

class DefinitionsTest : public StoreTest {
 protected:
  static ImportSettings pegasusFiles() {
    ImportSettings s;
    s.formatNumber = 20;
    s.format = "Pegasus";
    s.path = "/home/ann/old mail";
    s.method = kSelectFiles;
    s.files = {"b.pmm", "A.pmm", "c d.pmm"};
    s.mail = true;
    s.filter = 2;
    s.reimport = true;
    s.mailTopic = 250777;
    s.mailDatabase = 250010;
    s.forumDatabase = 250011;
    return s;
  }
  void setDisplayFormats(std::int32_t date, std::int32_t time) {
    std::string text;
    ASSERT_EQ(Konfig(*ctx, kKonfigSetGeneral, kItemDateFormat, date, 0, text), 1);
    ASSERT_EQ(Konfig(*ctx, kKonfigSetGeneral, kItemTimeFormat, time, 0, text), 1);
  }
  // Every record of a configuration table, copied out.
  template <class T>
  std::vector<T> all(T& buffer) {
    std::vector<T> out;
    OP_CLOSE(*ctx, kOpOpen, {T::FileNo});
    engine::File& f = ctx->fileOf<T>();
    Err e = f.set();
    while (e == Err::Ok && (e = f.next()) == Err::Ok) out.push_back(buffer);
    OP_CLOSE(*ctx, kOpRelease, {T::FileNo});
    return out;
  }
};

TEST_F(DefinitionsTest, FileSelectionDefinitionComesBackAsSaved) {
  ImportDefinition def;
  def.description = "Old Pegasus mail";
  def.settings = pegasusFiles();
  const std::uint32_t id = saveDefinition(*ctx, def);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(def.id, id);

  const std::optional<ImportDefinition> back = loadDefinition(*ctx, id);
  ASSERT_TRUE(back.has_value());
  const ImportSettings& s = back->settings;
  EXPECT_EQ(back->description, "Old Pegasus mail");
  EXPECT_EQ(s.formatNumber, 20);
  EXPECT_EQ(s.format, "Pegasus");
  EXPECT_EQ(s.path, "/home/ann/old mail");
  EXPECT_EQ(s.method, kSelectFiles);
  EXPECT_TRUE(s.mail);
  EXPECT_FALSE(s.forum);
  EXPECT_FALSE(s.news);
  EXPECT_EQ(s.filter, 2);
  EXPECT_TRUE(s.reimport);
  EXPECT_EQ(s.mailTopic, 250777u);
  EXPECT_EQ(s.mailDatabase, 250010u);
  EXPECT_EQ(s.forumDatabase, 250011u);
  // Key order, letter case ignored.
  EXPECT_EQ(s.files, (std::vector<std::string>{"A.pmm", "b.pmm", "c d.pmm"}));
  EXPECT_TRUE(s.masks.empty());
  EXPECT_EQ(loadFileSpecifications(*ctx, id, kSelectFiles), "A.pmm##b.pmm##c d.pmm");
  EXPECT_EQ(loadFileSpecifications(*ctx, id, kSelectFiles, true), "A.pmm;b.pmm;c d.pmm");

  EXPECT_FALSE(loadDefinition(*ctx, id + 1).has_value());
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(DefinitionsTest, RewritingReplacesTheFileSpecificationsAndKeepsOneOfTwins) {
  ImportDefinition tree;
  tree.description = "Forum captures";
  tree.settings.formatNumber = 14;
  tree.settings.method = kSelectTree;
  tree.settings.path = "/data";
  tree.settings.masks = {"*.MSG", "*.msg", "*.PRG"};
  const std::uint32_t id = saveDefinition(*ctx, tree);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(loadFileSpecifications(*ctx, id, kSelectTree), "*.MSG;*.PRG");

  ImportDefinition other;
  other.description = "Other";
  other.settings = pegasusFiles();
  const std::uint32_t otherId = saveDefinition(*ctx, other);

  tree.settings.masks = {"*.OBS"};
  tree.description = "Forum captures, renamed";
  EXPECT_EQ(saveDefinition(*ctx, tree), id);
  EXPECT_EQ(fileSpecifications(*ctx, id), (std::vector<std::string>{"*.OBS"}));
  EXPECT_EQ(fileSpecifications(*ctx, otherId).size(), 3u);

  const std::vector<DefinitionEntry> list = listDefinitions(*ctx);
  ASSERT_EQ(list.size(), 2u);
  for (const DefinitionEntry& e : list)
    if (e.id == id) {
      EXPECT_EQ(e.description, "Forum captures, renamed");
      EXPECT_EQ(e.formatNumber, 14);
    }

  // A definition removed meanwhile is not brought back by a rewrite.
  ASSERT_TRUE(removeDefinition(*ctx, id));
  ui.clear();
  EXPECT_EQ(saveDefinition(*ctx, tree), 0u);
  EXPECT_FALSE(ui.shown.empty());
  EXPECT_EQ(listDefinitions(*ctx).size(), 1u);
}

TEST_F(DefinitionsTest, NamesTooLongForTheirFieldsAreRefusedNotCut) {
  ImportDefinition def;
  def.settings = pegasusFiles();
  def.settings.files.push_back(std::string(255, 'f'));
  EXPECT_EQ(saveDefinition(*ctx, def), 0u);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, "Warning!");

  def.settings = pegasusFiles();
  def.settings.path = "/" + std::string(254, 'p');
  EXPECT_EQ(saveDefinition(*ctx, def), 0u);
  EXPECT_TRUE(listDefinitions(*ctx).empty());
  EXPECT_TRUE(all(ctx->fli).empty());
}

TEST_F(DefinitionsTest, WizardRunBecomesDefinitionAndInactiveTaskOfTheSameDescription) {
  setDisplayFormats(dates::kDateYyyyMmDd, dates::kTimeHhMm);
  const std::int32_t day = dates::dayNumber(2024, 3, 9);
  const std::int32_t time = dates::timeOf(19, 30, 5);
  const std::optional<SavedWizardRun> saved = saveWizardRun(*ctx, pegasusFiles(), day, time);
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->description, "Saved from ImportWizard  2024-03-09 19:30");
  EXPECT_NE(saved->definitionId, 0u);
  EXPECT_NE(saved->taskId, 0u);
  EXPECT_NE(saved->definitionId, saved->taskId);

  const std::optional<ImportDefinition> def = loadDefinition(*ctx, saved->definitionId);
  ASSERT_TRUE(def.has_value());
  EXPECT_EQ(def->description, saved->description);
  EXPECT_EQ(def->settings.files.size(), 3u);
  EXPECT_EQ(def->settings.mailDatabase, 250010u);

  const std::vector<TAS> tasks = all(ctx->tas);
  ASSERT_EQ(tasks.size(), 1u);
  const TAS& t = tasks[0];
  EXPECT_EQ(+t.ID, saved->taskId);
  EXPECT_EQ(t.DESCRIPTION.str(), saved->description);
  EXPECT_EQ(+t.DODUPELIM, 1);
  EXPECT_EQ(+t.DOPURGE, 1);
  EXPECT_EQ(+t.DOINDEX, 1);
  EXPECT_EQ(+t.DOCOUNT, 0);
  EXPECT_EQ(+t.ACTIVE, 0);
  EXPECT_EQ(+t.RUNNEXTDATE, 0);
  EXPECT_EQ(+t.RUNNEXTTIME, 0);
  EXPECT_EQ(+t.RUNNOWDATE, 0);
  EXPECT_EQ(+t.LASTRUNDATE, 0);

  const std::vector<TIM> links = all(ctx->tim);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(+links[0].TASKID, saved->taskId);
  EXPECT_EQ(+links[0].BATCHID, saved->definitionId);

  setDisplayFormats(dates::kDateMmDdYyyy, dates::kTimeHhMmXm);
  EXPECT_EQ(wizardRunDescription(*ctx, day, time), "Saved from ImportWizard  03-09-2024 07:30PM");
}

TEST_F(DefinitionsTest, RemovingTakesItsFileSpecificationsAndTaskLinksOnly) {
  const std::optional<SavedWizardRun> first = saveWizardRun(*ctx, pegasusFiles());
  const std::optional<SavedWizardRun> second = saveWizardRun(*ctx, pegasusFiles());
  ASSERT_TRUE(first && second);

  EXPECT_TRUE(removeDefinition(*ctx, first->definitionId));
  EXPECT_FALSE(loadDefinition(*ctx, first->definitionId).has_value());
  EXPECT_TRUE(fileSpecifications(*ctx, first->definitionId).empty());
  EXPECT_EQ(fileSpecifications(*ctx, second->definitionId).size(), 3u);

  const std::vector<TIM> links = all(ctx->tim);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(+links[0].BATCHID, second->definitionId);
  // The tasks themselves stay.
  EXPECT_EQ(all(ctx->tas).size(), 2u);

  // Removing what is not there is no failure.
  EXPECT_TRUE(removeDefinition(*ctx, first->definitionId));
  EXPECT_TRUE(ui.shown.empty());
}

}  // namespace
}  // namespace qv::test
