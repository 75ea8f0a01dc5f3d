// A page as built: its lines, each followed by CR LF, in one buffer that grows as the page is
// written, so that a page costs no allocation per line and its bytes are written to a file
// as they stand.
//
// A line is added whole (push_back) or written in pieces between OpenLine and CloseLine. The
// lines can be read back one at a time (without their line ends), which the viewer's display
// and the tests do. Reused for the next page after clear(), a PageLines keeps its capacity.
// A line must not hold CR LF itself (text files end their lines there, so no line read from
// one does).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

class PageLines {
 public:
  static constexpr std::string_view kLineEnd = "\r\n";

  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const PageLines* lines, std::size_t i) : lines_(lines), i_(i) {}
    std::string_view operator*() const { return (*lines_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++i_;
      return old;
    }
    const_iterator& operator--() {
      --i_;
      return *this;
    }
    const_iterator& operator+=(difference_type n) {
      i_ = static_cast<std::size_t>(static_cast<difference_type>(i_) + n);
      return *this;
    }
    const_iterator operator+(difference_type n) const { return const_iterator(*this) += n; }
    difference_type operator-(const const_iterator& other) const {
      return static_cast<difference_type>(i_) - static_cast<difference_type>(other.i_);
    }
    bool operator==(const const_iterator& other) const { return i_ == other.i_; }

   private:
    const PageLines* lines_ = nullptr;
    std::size_t i_ = 0;
  };

  PageLines() = default;
  PageLines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) push_back(line);
  }

  // --- Writing ---
  void push_back(std::string_view line) {
    bytes_.append(line);
    CloseLine();
  }
  void emplace_back(std::string_view line) { push_back(line); }
  // The buffer to append the next line's text to; CloseLine ends the line.
  std::string& OpenLine() { return bytes_; }
  void CloseLine() {
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    bytes_.append(kLineEnd);
  }
  void Append(const PageLines& other) {
    for (std::string_view line : other) push_back(line);
  }
  void clear() {
    bytes_.clear();
    ends_.clear();
  }

  // --- Reading ---
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1] + kLineEnd.size();
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  std::string_view front() const { return (*this)[0]; }
  std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  // Where line i begins in bytes().
  std::size_t LineStart(std::size_t i) const {
    return i == 0 ? 0 : i >= size() ? bytes_.size() : ends_[i - 1] + kLineEnd.size();
  }
  // The page's bytes: every line followed by CR LF.
  const std::string& bytes() const { return bytes_; }
  // The lines as strings of their own, for a display or a file that takes them so.
  std::vector<std::string> ToVector() const { return {begin(), end()}; }
  friend bool operator==(const PageLines& a, const PageLines& b) { return a.bytes_ == b.bytes_; }
  // The same lines, in the same order.
  friend bool operator==(const PageLines& a, const std::vector<std::string>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> ends_;  // where each line's text ends (its CR LF begins)
};

}  // namespace stirpex
