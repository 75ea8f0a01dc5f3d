#include "pages/html_escape.h"

#include <gtest/gtest.h>

namespace stirpex {
namespace {

TEST(HtmlEscape, MarkupCharactersAreEscaped) {
  EXPECT_EQ(HtmlEscape("<script>alert(\"x\")</script>"),
            "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;");
  EXPECT_EQ(HtmlEscape("Smith & Sons"), "Smith &amp; Sons");
  EXPECT_EQ(HtmlEscape("plain 'text' \xe9"), "plain 'text' \xe9");
  EXPECT_EQ(HtmlEscape(""), "");
}

TEST(HtmlEscape, EntityReferencesAreKept) {
  EXPECT_EQ(HtmlEscape("M&uuml;ller &#252; &#xFC; &amp;"), "M&uuml;ller &#252; &#xFC; &amp;");
  EXPECT_EQ(HtmlEscape("&#; &#x; &; &1a; &abc"), "&amp;#; &amp;#x; &amp;; &amp;1a; &amp;abc");
  EXPECT_EQ(HtmlEscape("a&b;c&"), "a&b;c&amp;");
}

TEST(HtmlEscape, OverlongEntityNamesAreNotReferences) {
  std::string name(40, 'a');
  EXPECT_EQ(HtmlEscape("&" + name + ";"), "&amp;" + name + ";");
}

}  // namespace
}  // namespace stirpex
