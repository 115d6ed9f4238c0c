#include "app/ini_profile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

#include "base/ascii_case.h"

namespace tempiko::app {
namespace ini_detail {

// A line "name=value" (value present) or any other text kept as a name without value.
struct Entry {
  std::string name;
  std::optional<std::string> value;
};

// A section; the first one of a document is nameless and holds the lines before any header.
struct Section {
  std::string name;
  std::vector<Entry> entries;
};

struct Document {
  std::vector<Section> sections{Section{}};
};

}  // namespace ini_detail

namespace {

namespace fs = std::filesystem;
using ini_detail::Document;
using ini_detail::Entry;
using ini_detail::Section;

// The blanks the profile functions strip; ^Z is the end-of-file mark of old DOS files.
bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view TrimLeading(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  return text;
}

std::string_view Trim(std::string_view text) {
  text = TrimLeading(text);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// The text cut to `room` bytes without leaving half a double-byte character at the end.
std::string CutToCharacters(std::string_view text, std::size_t room) {
  if (text.size() <= room)
    return std::string(text);
  std::size_t end = 0;
  while (end < room) {
    const std::size_t length = IsShiftJisLeadByte(text[end]) ? 2 : 1;
    if (end + length > room)
      break;
    end += length;
  }
  return std::string(text.substr(0, end));
}

// Names and values are C strings to the profile functions: a zero byte ends them.
std::string UpToZero(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

// The position of the line's last ']' that is a character of its own, or npos: the trail byte
// of a double-byte character can be a ']' (no trail byte is ever a blank, a line end, '=' or
// a quote, so the other scans need no such care).
std::size_t LastCloseBracket(std::string_view line) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (IsShiftJisLeadByte(line[i])) {
      ++i;
    } else if (line[i] == ']') {
      found = i;
    }
  }
  return found;
}

void ParseLine(std::string_view line, Document& document) {
  if (line.front() == '[') {
    const std::size_t close = LastCloseBracket(line);
    if (close != std::string_view::npos) {
      document.sections.push_back({UpToZero(Trim(line.substr(1, close - 1))), {}});
      return;  // text after the closing bracket is ignored
    }
  }
  Entry entry;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    entry.name = UpToZero(line);
  } else {
    entry.name = UpToZero(Trim(line.substr(0, equals)));
    entry.value = UpToZero(Trim(line.substr(equals + 1)));
  }
  std::vector<Entry>& entries = document.sections.back().entries;
  // As Wine does, a nameless line right after another nameless one is dropped.
  if (entry.name.empty() && !entries.empty() && entries.back().name.empty())
    return;
  entries.push_back(std::move(entry));
}

Document Parse(std::string_view text) {
  Document document;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view line = Trim(text.substr(at, end - at));
    at = text.find_first_not_of("\r\n", end);
    if (at == std::string_view::npos)
      at = text.size();
    if (!line.empty())
      ParseLine(line, document);
  }
  return document;
}

// Whether a name or value written on its line comes back from it as it is: no line end or zero
// byte inside, and no blank at either end (the reading strips them).
bool ReadsBack(std::string_view text) {
  using std::string_view_literals::operator""sv;
  return text.find_first_of("\r\n\0"sv) == std::string_view::npos &&
         (text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back())));
}

// Whether the text ends with the lead byte of a double-byte character, which would take the
// next byte (a header's closing bracket) as its own.
bool EndsInLeadByte(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size())
    at += IsShiftJisLeadByte(text[at]) ? 2 : 1;
  return at > text.size();
}

// Whether the header "[name]" reads back as this section. A nameless section after the first
// has no header, and its lines would join the section above.
bool HeaderReadsBack(std::string_view name) {
  return !name.empty() && ReadsBack(name) && !EndsInLeadByte(name);
}

// Whether the entry's line reads back as this entry. A name is never empty (a nameless line
// after another is dropped), holds no '=' (the line would be split there) and does not begin
// like a header.
bool EntryReadsBack(const Entry& entry) {
  const std::string_view name = entry.name;
  return !name.empty() && name.front() != '[' && name.find('=') == std::string_view::npos &&
         ReadsBack(name) && (!entry.value || ReadsBack(*entry.value));
}

// The text of the document; `reads_back` tells whether parsing the text gives this document
// again (it does not for the names and values a write may bring: "a=b" as a name, a line end
// or trailing blanks in a value, and a few more).
std::string Serialize(const Document& document, bool& reads_back) {
  std::string text;
  reads_back = true;
  for (const Section& section : document.sections) {
    const bool first = &section == &document.sections.front();
    if (!first)
      reads_back = reads_back && HeaderReadsBack(section.name);
    if (!section.name.empty())
      text += "[" + section.name + "]\r\n";
    for (const Entry& entry : section.entries) {
      reads_back = reads_back && EntryReadsBack(entry);
      text += entry.name;
      if (entry.value) {
        text += '=';
        text += *entry.value;
      }
      text += "\r\n";
    }
  }
  return text;
}

// A nameless section is never found: only named ones answer to a name.
Section* FindSection(Document& document, std::string_view name) {
  name = Trim(name);
  for (Section& section : document.sections) {
    if (!section.name.empty() && SameNameIgnoringCase(section.name, name))
      return &section;
  }
  return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
  name = Trim(name);
  for (Entry& entry : section.entries) {
    if (SameNameIgnoringCase(entry.name, name))
      return &entry;
  }
  return nullptr;
}

fs::path NativePath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadAll(std::istream& in) {
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The value as a buffer of `buffer_size` bytes receives it: one pair of surrounding quotes is
// removed and at most buffer_size − 1 bytes come back.
std::string CopyValue(std::string_view value, std::size_t buffer_size) {
  if (buffer_size == 0)
    return {};
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front()) {
    value.remove_prefix(1);
    quoted = true;
  }
  const std::size_t room = buffer_size - 1;
  if (value.size() > room)
    return CutToCharacters(value, room);  // the closing quote did not fit anyway
  if (quoted)
    value.remove_suffix(1);
  return std::string(value);
}

}  // namespace

std::vector<std::string> NamesThatFit(const std::vector<std::string>& names,
                                      std::size_t buffer_size) {
  std::vector<std::string> fitting;
  std::size_t used = 1;  // the zero byte that ends the list
  for (const std::string& name : names) {
    if (used + name.size() + 1 > buffer_size)
      break;
    used += name.size() + 1;
    fitting.push_back(name);
  }
  return fitting;
}

IniProfile::IniProfile(std::string path) : path_(std::move(path)) {}

IniProfile::~IniProfile() = default;

Document& IniProfile::ReadDocument() {
  return DocumentOf(ReadText());
}

Document& IniProfile::DocumentOf(std::string text) {
  if (!document_ || text != document_text_) {
    document_ = std::make_unique<Document>(Parse(text));
    document_text_ = std::move(text);
  }
  return *document_;
}

bool IniProfile::WriteChangedDocument() {
  // While the file changes the document stands for no text, so that a write that fails (or
  // throws) leaves the next call to parse the file as it is.
  std::unique_ptr<Document> changed = std::move(document_);
  bool reads_back = false;
  std::string text = Serialize(*changed, reads_back);
  if (!WriteText(text))
    return false;
  // It stands for the new text only when parsing that text gives it back; otherwise the next
  // call parses the text as it was written.
  if (reads_back) {
    document_ = std::move(changed);
    document_text_ = std::move(text);
  }
  return true;
}

std::string IniProfile::GetString(std::string_view section, std::string_view key,
                                  std::string_view default_value, std::size_t buffer_size) {
  Document& document = ReadDocument();
  if (Section* found = FindSection(document, section)) {
    if (Entry* entry = FindEntry(*found, key); entry && entry->value)
      return CopyValue(*entry->value, buffer_size);
  }
  if (buffer_size == 0)
    return {};
  return CutToCharacters(default_value, buffer_size - 1);
}

bool IniProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
  std::optional<std::string> text = ReadTextForChange();
  if (!text)
    return false;
  // As with Wine, names and the value lose their leading blanks only; trailing ones are
  // written, and stripped when the file is read again.
  Document& document = DocumentOf(std::move(*text));
  Section* target = FindSection(document, section);
  if (!target) {
    document.sections.push_back({std::string(TrimLeading(section)), {}});
    target = &document.sections.back();
  }
  const std::string new_value(TrimLeading(value));
  Entry* entry = FindEntry(*target, key);
  if (entry && entry->value == new_value)
    return true;  // nothing changes: the file is left alone
  if (!entry) {
    target->entries.push_back({std::string(TrimLeading(key)), {}});
    entry = &target->entries.back();
  }
  entry->value = new_value;
  return WriteChangedDocument();
}

bool IniProfile::DeleteKey(std::string_view section, std::string_view key) {
  std::optional<std::string> text = ReadTextForChange();
  if (!text)
    return false;
  Document& document = DocumentOf(std::move(*text));
  Section* found = FindSection(document, section);
  if (!found)
    return true;
  const Entry* entry = FindEntry(*found, key);
  if (!entry)
    return true;
  found->entries.erase(found->entries.begin() + (entry - found->entries.data()));
  return WriteChangedDocument();
}

bool IniProfile::EraseSection(std::string_view section) {
  std::optional<std::string> text = ReadTextForChange();
  if (!text)
    return false;
  Document& document = DocumentOf(std::move(*text));
  std::vector<Section>& sections = document.sections;
  // Every section of that name goes: a hand-edited file may repeat a header, and a rewrite of
  // the section must not leave an older copy to be merged with it at the next start.
  const auto before = sections.size();
  const std::string_view name = Trim(section);
  std::erase_if(sections, [&](const Section& s) {
    return !s.name.empty() && SameNameIgnoringCase(s.name, name);
  });
  if (sections.size() == before)
    return true;
  return WriteChangedDocument();
}

std::vector<std::string> IniProfile::KeyNames(std::string_view section, std::size_t buffer_size) {
  Document& document = ReadDocument();
  std::vector<std::string> names;
  if (Section* found = FindSection(document, section)) {
    for (const Entry& entry : found->entries) {
      if (entry.value && !entry.name.empty() && entry.name.front() != ';')
        names.push_back(entry.name);
    }
  }
  return NamesThatFit(names, buffer_size);
}

bool IniProfile::HasKey(std::string_view section, std::string_view key) {
  Document& document = ReadDocument();
  Section* found = FindSection(document, section);
  const Entry* entry = found ? FindEntry(*found, key) : nullptr;
  return entry && entry->value;
}

// The file as the read calls see it: a missing or unreadable file reads as an empty one.
std::string IniProfile::ReadText() {
  std::ifstream in(NativePath(path_), std::ios::binary);
  if (!in)
    return {};
  return ReadAll(in);
}

// An existing file must open for writing even when the change turns out to be none, as with
// the profile functions; a missing one is created only when something is written.
std::optional<std::string> IniProfile::ReadTextForChange() {
  const fs::path path = NativePath(path_);
  std::error_code error;
  if (!fs::exists(path, error))
    return std::string();
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file)
    return std::nullopt;
  return ReadAll(file);
}

bool IniProfile::WriteText(const std::string& text) {
  std::ofstream out(NativePath(path_), std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

}  // namespace tempiko::app
