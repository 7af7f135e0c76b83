#include <gtest/gtest.h>

#include <stdexcept>

#include "app/cli/output.h"

namespace qv::app::cli {
namespace {

Listing persons() {
  Listing l({"ID", "Name", "Keep"});
  l.addRow({std::int64_t{250001}, text("M\xFCller"), true});
  l.addRow({std::int64_t{7}, text("Jos\xE9 \x80"), false});
  return l;
}

TEST(CliOutput, TableAlignsByCharactersNotBytes) {
  EXPECT_EQ(render(persons(), OutputFormat::Text),
            "    ID  Name    Keep\n"
            "------  ------  ----\n"
            "250001  M\xC3\xBCller  yes\n"
            "     7  Jos\xC3\xA9 \xE2\x82\xAC  no\n");
}

TEST(CliOutput, TableCellStaysOnOneLine) {
  Listing l({"Subject", "N"});
  l.addRow({text("Re:\r\nhello\x1B[31m"), std::int64_t{-3}});
  EXPECT_EQ(render(l, OutputFormat::Text),
            "Subject          N\n"
            "--------------  --\n"
            "Re: hello\xEF\xBF\xBD[31m  -3\n");
}

TEST(CliOutput, EmptyListings) {
  const Listing l({"ID", "Name"});
  EXPECT_EQ(render(l, OutputFormat::Text), "ID  Name\n--  ----\n");
  EXPECT_EQ(render(l, OutputFormat::Json), "[]\n");
  EXPECT_EQ(render(Record{}, OutputFormat::Json), "{}\n");
}

TEST(CliOutput, JsonKeepsTypesAndConvertsTexts) {
  EXPECT_EQ(render(persons(), OutputFormat::Json),
            "[\n"
            "  {\"ID\": 250001, \"Name\": \"M\xC3\xBCller\", \"Keep\": true},\n"
            "  {\"ID\": 7, \"Name\": \"Jos\xC3\xA9 \xE2\x82\xAC\", \"Keep\": false}\n"
            "]\n");
}

TEST(CliOutput, JsonEscapesQuotesBackslashesAndControlCharacters) {
  Listing l({"a\"b"});
  l.addRow({text("say \"hi\"\\ \r\nx\ty\rz\x01\x1F\x7F\x81\x8D\b\f")});
  EXPECT_EQ(render(l, OutputFormat::Json),
            "[\n  {\"a\\\"b\": \"say \\\"hi\\\"\\\\ \\nx\\ty\\rz\\u0001\\u001f\\u007f\\u0081\\u008d\\b\\f\"}\n]\n");
}

TEST(CliOutput, RecordInBothForms) {
  Record r;
  r.add("Name", text("Forum \x93One\x94"));
  r.add("Messages", std::int64_t{1234});
  r.add("Description", text("first line\r\nsecond line"));
  r.add("Active", false);
  EXPECT_EQ(render(r, OutputFormat::Text),
            "Name:        Forum \xE2\x80\x9COne\xE2\x80\x9D\n"
            "Messages:    1234\n"
            "Description: first line\n"
            "             second line\n"
            "Active:      no\n");
  EXPECT_EQ(render(r, OutputFormat::Json),
            "{\n"
            "  \"Name\": \"Forum \xE2\x80\x9COne\xE2\x80\x9D\",\n"
            "  \"Messages\": 1234,\n"
            "  \"Description\": \"first line\\nsecond line\",\n"
            "  \"Active\": false\n"
            "}\n");
}

TEST(CliOutput, RefusesShapesThatWouldLoseData) {
  Listing l({"ID", "Name"});
  EXPECT_THROW(l.addRow({std::int64_t{1}}), std::logic_error);
  EXPECT_THROW(Listing({"ID", "Name", "ID"}), std::logic_error);
  Record r;
  r.add("Name", text("a"));
  EXPECT_THROW(r.add("Name", text("b")), std::logic_error);
}

}  // namespace
}  // namespace qv::app::cli
