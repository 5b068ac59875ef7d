#include "tools/common/tree_names.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

constexpr std::string_view signature = "# names: treebench-learn";
constexpr std::string_view more = "# more: ";
// Raw bytes per line: escaped, at most four times as many, which leaves the
// words before them well inside the reader's 511 characters.
constexpr std::size_t chunk = 100;

constexpr char hexDigits[] = "0123456789abcdef";

std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f || c == '\\' || c == '#') {
      out += "\\x";
      out += hexDigits[byte >> 4];
      out += hexDigits[byte & 0xf];
    } else {
      out += c;
    }
  }
  return out;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string unescaped(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\\' && at + 3 < text.size() && text[at + 1] == 'x') {
      const int high = hexValue(text[at + 2]);
      const int low = hexValue(text[at + 3]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        at += 3;
        continue;
      }
    }
    out += text[at];
  }
  return out;
}

// "WORDS: TEXT" with TEXT cut into the lines the reader can take.
void addLine(std::string& out, const std::string& words, std::string_view text) {
  out += "# " + words + ": " + escaped(text.substr(0, chunk)) + '\n';
  for (std::size_t at = chunk; at < text.size(); at += chunk)
    out += std::string(more) + escaped(text.substr(at, chunk)) + '\n';
}

bool takeNumber(std::string_view& text, std::size_t& number) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc{} || end == text.data()) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool takeWord(std::string_view& text, std::string_view word) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.substr(0, word.size()) != word) return false;
  text.remove_prefix(word.size());
  return true;
}

// Indices come in order, one more each time, so that no line can make a
// table grow beyond what the file itself spells out.
template <typename T>
T* next(std::vector<T>& table, std::size_t index) {
  if (index != table.size()) return nullptr;
  return &table.emplace_back();
}

}  // namespace

std::string nameComments(const DataNames& names) {
  if (names.attributes.empty() && names.classes.empty()) return {};
  std::string out = std::string(signature) + '\n';
  for (std::size_t a = 0; a < names.attributes.size(); ++a) {
    const Attribute& attribute = names.attributes[a];
    const bool nominal = attribute.kind == AttributeKind::nominal;
    addLine(out, "attribute " + std::to_string(a) + (nominal ? " nominal" : " numeric"), attribute.name);
    for (std::size_t l = 0; l < attribute.labels.size(); ++l)
      addLine(out, "label " + std::to_string(a) + ' ' + std::to_string(l), attribute.labels[l]);
  }
  for (std::size_t c = 0; c < names.classes.size(); ++c)
    addLine(out, "class " + std::to_string(c), names.classes[c]);
  return out;
}

void NameCommentReader::take(std::string_view line) {
  std::string* const continued = last_;
  last_ = nullptr;
  if (line == signature) {
    signed_ = true;
    return;
  }
  if (!signed_) return;
  if (line.substr(0, more.size()) == more) {
    if (continued == nullptr) return;
    *continued += unescaped(line.substr(more.size()));
    last_ = continued;
    return;
  }
  if (!takeWord(line, "#")) return;
  std::size_t first = 0;
  std::size_t second = 0;
  std::string* text = nullptr;
  if (takeWord(line, "attribute") && takeNumber(line, first)) {
    Attribute* attribute = next(names_.attributes, first);
    if (attribute == nullptr) return;
    if (takeWord(line, "nominal")) attribute->kind = AttributeKind::nominal;
    text = &attribute->name;
  } else if (takeWord(line, "label") && takeNumber(line, first) && takeNumber(line, second)) {
    if (first + 1 != names_.attributes.size()) return;
    text = next(names_.attributes.back().labels, second);
  } else if (takeWord(line, "class") && takeNumber(line, first)) {
    text = next(names_.classes, first);
  }
  if (text == nullptr) return;
  // Past the kind, where there is one: numeric is the attributes' default.
  takeWord(line, "numeric");
  if (line.substr(0, 2) != ": ") return;
  *text = unescaped(line.substr(2));
  last_ = text;
}

void NameCommentTap::watch(const char* begin, const char* end) {
  for (const char* at = begin; at < end && inHead_; ++at) {
    const char c = *at;
    if (c == '\n') {
      if (inComment_) {
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        reader_.take(line_);
      } else if (!atLineStart_) {
        inHead_ = false;
      }
      line_.clear();
      atLineStart_ = true;
      inComment_ = false;
      continue;
    }
    if (atLineStart_) {
      if (c == '\t') continue;
      atLineStart_ = false;
      inComment_ = c == '#';
      // The first line that is not a comment ends the head.
      if (!inComment_) inHead_ = false;
    }
    // The reader takes 511 characters of a line; neither is more kept here.
    if (inComment_ && line_.size() < 511) line_ += c;
  }
}

NameCommentTap::int_type NameCommentTap::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  // No more than the source has at hand, so that a pipe is read as far as
  // the tree's reader asks, never waited on for a whole buffer.
  if (traits_type::eq_int_type(source_.sgetc(), traits_type::eof())) return traits_type::eof();
  const std::streamsize size = static_cast<std::streamsize>(buffer_.size());
  const std::streamsize ready = std::max<std::streamsize>(1, std::min(source_.in_avail(), size));
  const std::streamsize got = source_.sgetn(buffer_.data(), ready);
  if (got <= 0) return traits_type::eof();
  char* const begin = buffer_.data();
  if (inHead_) watch(begin, begin + got);
  setg(begin, begin, begin + got);
  return traits_type::to_int_type(*gptr());
}
