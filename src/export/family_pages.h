// The family pages of a whole tree, the one source the site pass writes and Print All prints:
// every family of the database in list order, each page built for no person (a page of a set
// belongs to nobody, as on a web site).
#pragma once

#include <span>

#include "database/records.h"
#include "pages/family_page.h"
#include "pages/page_context.h"

namespace stirpex {

class FamilyPageSource {
 public:
  explicit FamilyPageSource(const PageContext& ctx) : ctx_(ctx) {}

  std::span<const TFamilyRec* const> Families() const { return ctx_.privacy.FamilyList(); }
  // The page of one family into lines, in place of what they held.
  void Build(const TFamilyRec& family, PageLines& lines) const {
    lines.clear();
    BuildFamilyPage(ctx_, family, nullptr, lines);
  }

 private:
  const PageContext& ctx_;
};

}  // namespace stirpex
