// One ini-style text file held wholly in memory: values are read and written by section and key
// name (ASCII case ignored, first match wins, names kept to 31 bytes and values to 99), and the
// whole file is written back by Save, Clear or the destructor when something changed.
//
// Comments are kept: a comment line (";" or the GBK full-width "；") belongs to the key above it,
// or to the section when no key line came since the section line; a comment after a section
// header or a value (behind ";" or "；") belongs to that section or key. Blank lines and spacing
// are not kept: Save writes a fixed layout with CR LF line ends. The unnamed section's comments
// and keys come first; every named section is preceded by one empty line; a header "[name]" or a
// key line "name = value" is padded with spaces to 50 bytes (a header's leading CR LF counted, at
// least one space), followed by its first comment ";text" or the line end; further comments
// stand on lines of their own. Each written piece is cut at 511 bytes.
//
// Save writes a new file beside the old one and renames it over, so a failed save leaves the old
// file as it was. No locking: one thread uses an object at a time.
#pragma once
#include <cstdint>

#include "foundation/MSelfRiseArray.h"
#include "foundation/MString.h"

namespace zephyr {

class MFile;

class MIniFile {
public:
    // Line modes of Open. kLineMode is the ordinary one: "key = value ; comment", the value
    // running up to the comment with its inner spaces and "=" kept. Any other mode reads the
    // simple form: the value is the word after the last "=" before a blank, inline comments
    // are dropped.
    static constexpr int32_t kLineMode = 1;

    MIniFile();
    ~MIniFile();  // Clear: pending changes are saved
    MIniFile(const MIniFile&) = delete;
    MIniFile& operator=(const MIniFile&) = delete;

    // Reads the file into the model, adding to what is held. A bare file name (no "/" or "\\"
    // followed by text) is taken from the executable's directory. 1 on success; when the file
    // cannot be opened, the system error value, and the model is marked modified so that the
    // next save creates the file; when reading fails part-way, what was read is kept, the model
    // is not marked modified and the read error is returned. Raises MException "<MIniFile>当前Section指针发生异常" for a
    // comment with no owner (a comment line after a line without "=" before any key was held).
    int32_t Open(const MString& path, int32_t mode);
    // The file Open reads and Save writes for path: a bare file name (no "/" or "\\" followed
    // by text) lies in the executable's directory; any other path stands as given.
    static MString ResolvePath(const MString& path);
    // Writes the file if the model changed since the last open or save: 1, or the error value
    // of creating, writing or renaming the file. The model counts as saved either way.
    int32_t Save();
    // Saves, then empties the model down to the unnamed section.
    void Clear();

    // The value, or default_value when the section or key is not held.
    MString ReadString(const MString& section, const MString& key, const MString& default_value) const;
    // Leading decimal number of the value (0 when it has none).
    int32_t ReadInteger(const MString& section, const MString& key, int32_t default_value) const;
    // True exactly when the value is "true", ASCII case ignored.
    bool ReadBool(const MString& section, const MString& key, bool default_value) const;

    // Sets the value, adding the section and the key when missing. A non-empty comment replaces
    // the key's first comment (or is added); an empty one leaves the comments alone.
    // 1, or ERR_ARRAY_LIMIT / ERR_NO_MEMORY when a table is full (the model is then not marked
    // modified).
    int32_t WriteString(const MString& section, const MString& key, const MString& value,
                        const MString& comment = MString());
    int32_t WriteInteger(const MString& section, const MString& key, int32_t value,
                         const MString& comment = MString());  // "%d"
    int32_t WriteBool(const MString& section, const MString& key, bool value,
                      const MString& comment = MString());  // "true" / "false"

    // Number of sections, the unnamed one (index 0) included.
    uint32_t GetSectionCount() const;
    // The name of section index, or "" when index is not below the count.
    MString GetSectionName(uint32_t index) const;

    const MString& GetPath() const { return m_Path; }
    bool IsModified() const { return m_Modified; }

    // Limits of the tables: each holds at most 19968 records (the pool 19968 bytes).
    static constexpr uint32_t kTableLimit = 20000;

private:
    struct SectionRecord {
        char name[32];
        int32_t first_key;  // -1: no key
    };
    struct KeyRecord {
        char name[32];
        char value[100];
        int32_t next;  // next key of the same section, -1 at the end
    };
    enum : uint8_t { kSectionComment = 0, kKeyComment = 1 };
    struct CommentRef {
        uint8_t kind;
        int32_t owner;  // section or key index
        int32_t text;   // offset of the text in the comment pool
    } __attribute__((packed));
    static_assert(sizeof(SectionRecord) == 36, "section record");
    static_assert(sizeof(KeyRecord) == 136, "key record");
    static_assert(sizeof(CommentRef) == 9, "comment reference");

    void Reset();
    int32_t FindSection(const char* name) const;
    int32_t FindKey(int32_t section, const char* name) const;
    int32_t AddSection(const char* name);
    // Appends the key and links it at the end of the section's chain; returns its index.
    int32_t AddKey(int32_t section, const char* name, const char* value);
    // Appends a comment for owner; raises MException when owner is negative.
    int32_t AttachComment(uint8_t kind, int32_t owner, const char* text);
    int32_t FindComment(uint8_t kind, int32_t owner) const;
    int32_t ReplaceComment(int32_t reference, const MString& text);
    const char* CommentText(const CommentRef& reference) const;

    void ParseSectionLine(const char* line);
    void ParseKeyLine(const char* line);
    void ParseSimpleKeyLine(const char* line);
    int32_t WriteLayout(MFile& file) const;

    MSelfRiseArray<SectionRecord, 4096> m_Sections;
    MSelfRiseArray<KeyRecord, 8192> m_Keys;
    MSelfRiseArray<CommentRef, 4096> m_Comments;
    MSelfRiseArray<char, 4096> m_CommentPool;
    int32_t m_CurrentSection;
    int32_t m_CurrentKey;
    MString m_Path;
    bool m_Modified;
};

}  // namespace zephyr
