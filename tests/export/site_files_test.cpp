#include "export/site_files.h"

#include <gtest/gtest.h>

#include "support/test_paths.h"

namespace stirpex {
namespace {

TEST(SiteFiles, TheCanonicalLinkGoesBeforeTheFirstHeadEnd) {
  EXPECT_EQ(HeadEndLine({"<html><head>", "<title>x</title>", "</HEAD>", "</head>"}), 2u);
  EXPECT_EQ(HeadEndLine({"<html>", "<body>"}), 2u);
  EXPECT_TRUE(HoldsHeadEnd("<meta x></Head><body>"));
  EXPECT_FALSE(HoldsHeadEnd("</heading>"));

  testing::TempDir dir;
  FileUpdater writer;
  writer.Open(dir.path() / "i.htm");
  SiteLineSink sink(writer, "<link rel=\"canonical\" href=\"https://x.org/i.htm\">");
  for (const char* line : {"<head>", "</head>", "</head>"}) sink.Add(line);
  EXPECT_EQ(writer.Commit(), FileUpdate::kWritten);
  EXPECT_EQ(testing::ReadFileBytes(dir.path() / "i.htm"),
            testing::CrLf({"<head>", "<link rel=\"canonical\" href=\"https://x.org/i.htm\">",
                           "</head>", "</head>"}));
}

}  // namespace
}  // namespace stirpex
