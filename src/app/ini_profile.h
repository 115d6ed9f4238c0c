#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/profile.h"

namespace tempiko::app {

namespace ini_detail {
struct Document;
}

// The private-profile semantics on a plain file, for the native build and its tests. Each call
// reads the whole file, and a change writes it back whole, in exactly the layout Wine's
// profile functions write: "[Section]" and "key=value" lines ended by CR LF, no blank lines,
// names and values stripped of the blanks around them. Lines that are neither (comments, text
// without an equals sign) are kept as they are. The bytes are never converted: a Shift-JIS
// file stays Shift-JIS, and double-byte characters are never split or case-folded. Any bytes
// load safely. The file is read at every call, but parsed only when its bytes differ from those
// of the last call: the twenty lookups of loading the settings parse it once, and a change
// keeps the document it wrote whenever that text parses back to it, so that saving a list of
// a thousand servers, key by key, does not parse the file a thousand times.
class IniProfile : public Profile {
 public:
  // The path is UTF-8.
  explicit IniProfile(std::string path);
  ~IniProfile() override;

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t buffer_size) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;
  bool EraseSection(std::string_view section) override;
  std::vector<std::string> KeyNames(std::string_view section, std::size_t buffer_size) override;
  bool HasKey(std::string_view section, std::string_view key) override;

  const std::string& path() const { return path_; }

 protected:
  // Where the text is kept: the file at the path. A test may keep it elsewhere.
  // The text a lookup reads; empty when the file is missing or unreadable.
  virtual std::string ReadText();
  // The text a change starts from: empty when there is no file yet, nothing when the file
  // exists but does not open for writing.
  virtual std::optional<std::string> ReadTextForChange();
  // Replaces the whole text; false when it could not be written.
  virtual bool WriteText(const std::string& text);

 private:
  // The document of the text a lookup reads now.
  ini_detail::Document& ReadDocument();
  // The document of the text, parsed unless it is the one kept.
  ini_detail::Document& DocumentOf(std::string text);
  // Writes the document of the last DocumentOf, changed; false when it could not be written.
  bool WriteChangedDocument();

  std::string path_;
  std::string document_text_;  // the text document_ stands for
  std::unique_ptr<ini_detail::Document> document_;
};

}  // namespace tempiko::app
