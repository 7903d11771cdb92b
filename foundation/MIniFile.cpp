#include "foundation/MIniFile.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MException.h"
#include "foundation/MFile.h"
#include "foundation/MFileReplacement.h"
#include "foundation/MModule.h"
#include "foundation/MText.h"

namespace zephyr {

namespace {

// The GBK full-width semicolon, accepted wherever ";" starts a comment.
const char kWideSemicolon[] = "\xA3\xBB";
// Header and key lines are padded to this many bytes before their comment.
constexpr int32_t kCommentColumn = 50;
// One formatted piece of the saved file.
constexpr size_t kPieceSize = 512;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A stored name matches the query as it would be stored: ASCII case ignored, over the bytes the
// record keeps (size - 1), so a name longer than the record still finds what was written for it.
bool SameName(const char* stored, size_t size, const char* query) {
    for (size_t i = 0; i + 1 < size; ++i) {
        if (LowerAscii(stored[i]) != LowerAscii(query[i])) return false;
        if (stored[i] == '\0') return true;
    }
    return true;
}

int32_t WritePiece(MFile& file, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Formats into a 512-byte piece and writes it; returns its length or an error value.
int32_t WritePiece(MFile& file, const char* format, ...) {
    char piece[kPieceSize];
    va_list args;
    va_start(args, format);
    const int32_t length = MText::FormatV(piece, sizeof(piece), format, args);
    va_end(args);
    if (length <= 0) return length;
    const int32_t rc = file.Write(piece, static_cast<uint32_t>(length));
    return rc < 0 ? rc : length;
}

// Spaces after a piece of written length bytes, up to the comment column and at least one.
int32_t WritePadding(MFile& file, int32_t written) {
    char spaces[kCommentColumn];
    std::memset(spaces, ' ', sizeof(spaces));
    const int32_t count = kCommentColumn - written > 1 ? kCommentColumn - written : 1;
    return file.Write(spaces, static_cast<uint32_t>(count));
}

}  // namespace

MIniFile::MIniFile()
    : m_Sections(kTableLimit), m_Keys(kTableLimit), m_Comments(kTableLimit),
      m_CommentPool(kTableLimit), m_CurrentSection(-1), m_CurrentKey(-1), m_Modified(false) {
    Reset();
}

MIniFile::~MIniFile() { Clear(); }

void MIniFile::Reset() {
    m_Sections.Clear();
    m_Keys.Clear();
    m_Comments.Clear();
    m_CommentPool.Clear();
    m_CurrentKey = -1;
    m_Modified = false;
    m_CurrentSection = AddSection("");
}

void MIniFile::Clear() {
    Save();
    Reset();
}

// ---- model -------------------------------------------------------------------------------

int32_t MIniFile::FindSection(const char* name) const {
    const uint32_t count = m_Sections.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const SectionRecord& section = m_Sections.At(i);
        if (SameName(section.name, sizeof(section.name), name)) return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t MIniFile::FindKey(int32_t section, const char* name) const {
    for (int32_t k = m_Sections.At(static_cast<uint32_t>(section)).first_key; k >= 0;) {
        const KeyRecord& key = m_Keys.At(static_cast<uint32_t>(k));
        if (SameName(key.name, sizeof(key.name), name)) return k;
        k = key.next;
    }
    return -1;
}

namespace {

// Copies text into a name or value field; a text cut to fit loses the blanks it then ends with,
// as reading the saved file would.
void CopyName(char* field, size_t size, const char* text) {
    MText::Copy(field, size, text);
    if (text != nullptr && std::strlen(text) >= size) MText::TrimRight(field);
}

}  // namespace

int32_t MIniFile::AddSection(const char* name) {
    SectionRecord record{};
    CopyName(record.name, sizeof(record.name), name);
    record.first_key = -1;
    return m_Sections.Append(&record, 1);
}

int32_t MIniFile::AddKey(int32_t section, const char* name, const char* value) {
    if (section < 0) return ERR_NOT_INITIALISED;
    KeyRecord record{};
    CopyName(record.name, sizeof(record.name), name);
    CopyName(record.value, sizeof(record.value), value);
    record.next = -1;
    const int32_t index = m_Keys.Append(&record, 1);
    if (index < 0) return index;
    int32_t* link = &m_Sections.At(static_cast<uint32_t>(section)).first_key;
    while (*link >= 0) link = &m_Keys.At(static_cast<uint32_t>(*link)).next;
    *link = index;
    return index;
}

int32_t MIniFile::AttachComment(uint8_t kind, int32_t owner, const char* text) {
    if (owner < 0) throw MException("<MIniFile>当前Section指针发生异常");
    const int32_t offset = m_CommentPool.Append(text, static_cast<uint32_t>(std::strlen(text) + 1));
    if (offset < 0) return offset;
    CommentRef reference{kind, owner, offset};
    return m_Comments.Append(&reference, 1);
}

int32_t MIniFile::FindComment(uint8_t kind, int32_t owner) const {
    const uint32_t count = m_Comments.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const CommentRef& reference = m_Comments.At(i);
        if (reference.kind == kind && reference.owner == owner) return static_cast<int32_t>(i);
    }
    return -1;
}

const char* MIniFile::CommentText(const CommentRef& reference) const {
    return &m_CommentPool.At(static_cast<uint32_t>(reference.text));
}

int32_t MIniFile::ReplaceComment(int32_t reference, const MString& text) {
    const uint32_t index = static_cast<uint32_t>(reference);
    char* old_text = const_cast<char*>(CommentText(m_Comments.At(index)));
    if (text.GetLength() <= std::strlen(old_text)) {
        std::memcpy(old_text, text.GetData(), text.GetLength() + 1);
        return 1;
    }
    // A longer text goes to the end of the pool; the old one stays behind unused.
    const int32_t offset = m_CommentPool.Append(text.GetData(), text.GetLength() + 1);
    if (offset < 0) return offset;
    m_Comments.At(index).text = offset;
    return 1;
}

// ---- reading the file --------------------------------------------------------------------

MString MIniFile::ResolvePath(const MString& path) {
    if (path.After("\\").IsEmpty() && path.After("/").IsEmpty()) {
        return MModule::GetDirectory(nullptr).Concat(path);
    }
    return path;
}

int32_t MIniFile::Open(const MString& path, int32_t mode) {
    m_Path = ResolvePath(path);
    MFile file;
    const int32_t rc = file.Open(m_Path.GetData(), MFile::kRead | MFile::kShareRead | MFile::kShareWrite);
    if (rc < 0) {
        m_Modified = true;
        return rc;
    }
    char line[kPieceSize];
    bool key_seen = false;
    int32_t read;
    while ((read = file.ReadLine(line, sizeof(line))) > 0) {
        MText::TrimLeft(line);
        char* comment = nullptr;
        if (line[0] == '\0') {
            continue;
        } else if (line[0] == '[') {
            ParseSectionLine(line + 1);
            key_seen = false;
        } else if (line[0] == ';') {
            comment = line + 1;
        } else if (std::strncmp(line, kWideSemicolon, 2) == 0) {
            comment = line + 2;
        } else {
            if (mode == kLineMode) {
                ParseKeyLine(line);
            } else {
                ParseSimpleKeyLine(line);
            }
            key_seen = true;
        }
        if (comment != nullptr) {
            MText::TrimRight(comment);
            // A full table drops the line; nothing to report while loading.
            if (key_seen) {
                AttachComment(kKeyComment, m_CurrentKey, comment);
            } else {
                AttachComment(kSectionComment, m_CurrentSection, comment);
            }
        }
    }
    file.Close();
    m_Modified = false;
    // A read that failed part-way keeps what was read, and says so.
    return read < 0 ? read : 1;
}

void MIniFile::ParseSectionLine(const char* line) {
    MString text(line), name, rest;
    if (text.Split("]", name, rest) < 0) return;
    MString comment = rest.After(";");
    if (comment.IsEmpty()) comment = rest.After(kWideSemicolon);
    name.Trim();
    comment.Trim();
    if (name.IsEmpty()) return;
    const int32_t index = AddSection(name.GetData());
    if (index < 0) return;
    m_CurrentSection = index;
    if (!comment.IsEmpty()) AttachComment(kSectionComment, index, comment.GetData());
}

void MIniFile::ParseKeyLine(const char* line) {
    MString text(line), name, rest, value, comment;
    if (text.Split("=", name, rest) < 0) return;
    if (rest.Split(";", value, comment) < 0 && rest.Split(kWideSemicolon, value, comment) < 0) {
        value = rest;
    }
    name.Trim();
    value.Trim();
    comment.Trim();
    if (name.IsEmpty()) return;
    const int32_t index = AddKey(m_CurrentSection, name.GetData(), value.GetData());
    if (index < 0) return;
    m_CurrentKey = index;
    if (!comment.IsEmpty()) AttachComment(kKeyComment, index, comment.GetData());
}

// The simple form: within the first 99 bytes, up to ";" or a line end, the key is the first word
// (ended by a blank or "=") and the value the word after "=", restarted after each further "=".
void MIniFile::ParseSimpleKeyLine(const char* line) {
    char text[100];
    MText::Copy(text, sizeof(text), line);
    text[std::strcspn(text, ";\r\n")] = '\0';

    size_t end = std::strcspn(text, " =");
    char name[sizeof(text)] = "";
    MText::CopyN(name, sizeof(name), text, end);
    const char* value = "";
    size_t at = end;
    while (text[at] == ' ') ++at;
    if (text[at] == '=') {
        size_t start = 0;
        do {
            ++at;  // past the "="
            while (text[at] == ' ') ++at;
            start = at;
            at += std::strcspn(text + at, " =");
        } while (text[at] == '=');
        text[at] = '\0';
        value = text + start;
    }
    if (name[0] == '\0') return;
    const int32_t index = AddKey(m_CurrentSection, name, value);
    if (index >= 0) m_CurrentKey = index;
}

// ---- saving ------------------------------------------------------------------------------

int32_t MIniFile::Save() {
    if (!m_Modified) return 1;
    // Counts as saved even when writing fails: a failed save is not repeated by the next one.
    m_Modified = false;

    // Never opened: there is no file to write (and no temporary name beside one).
    if (m_Path.IsEmpty()) return SystemError(ENOENT);
    // Written beside the old file and renamed over it, so the old file survives any failure.
    MFileReplacement out(m_Path);
    int32_t rc = out.Create(MFile::kRead | MFile::kWrite | MFile::kShareRead | MFile::kShareWrite);
    if (rc >= 0) rc = WriteLayout(out.File());
    if (rc >= 0) rc = out.Flush();
    if (rc >= 0) rc = out.Rename();
    return rc < 0 ? rc : 1;
}

int32_t MIniFile::WriteLayout(MFile& file) const {
    const uint32_t comment_count = m_Comments.GetCount();
    int32_t rc = 0;
    // Writes every comment of owner; returns how many, or an error value.
    auto write_comments = [&](uint8_t kind, int32_t owner) -> int32_t {
        int32_t written = 0;
        for (uint32_t c = 0; c < comment_count; ++c) {
            const CommentRef& reference = m_Comments.At(c);
            if (reference.kind != kind || reference.owner != owner) continue;
            const int32_t result = WritePiece(file, ";%s\r\n", CommentText(reference));
            if (result < 0) return result;
            ++written;
        }
        return written;
    };

    const uint32_t section_count = m_Sections.GetCount();
    for (uint32_t s = 0; s < section_count; ++s) {
        const SectionRecord& section = m_Sections.At(s);
        bool line_open = false;
        if (section.name[0] != '\0') {
            if ((rc = WritePiece(file, "\r\n[%s]", section.name)) < 0) return rc;
            if ((rc = WritePadding(file, rc)) < 0) return rc;
            line_open = true;
        }
        if ((rc = write_comments(kSectionComment, static_cast<int32_t>(s))) < 0) return rc;
        if (rc > 0) line_open = false;
        if (line_open && (rc = file.Write("\r\n", 2)) < 0) return rc;

        for (int32_t k = section.first_key; k >= 0; k = m_Keys.At(static_cast<uint32_t>(k)).next) {
            const KeyRecord& key = m_Keys.At(static_cast<uint32_t>(k));
            if ((rc = WritePiece(file, "%s = %s", key.name, key.value)) < 0) return rc;
            if ((rc = WritePadding(file, rc)) < 0) return rc;
            if ((rc = write_comments(kKeyComment, k)) < 0) return rc;
            // A value holding "；" needs a ";" behind it even without a comment: reading a line
            // without ";" would end the value at its "；".
            if (rc == 0) {
                if (std::strstr(key.value, kWideSemicolon) != nullptr && (rc = file.Write(";", 1)) < 0) return rc;
                if ((rc = file.Write("\r\n", 2)) < 0) return rc;
            }
        }
    }
    return 1;
}

// ---- reads and writes --------------------------------------------------------------------

MString MIniFile::ReadString(const MString& section, const MString& key,
                             const MString& default_value) const {
    const int32_t s = FindSection(section.GetData());
    if (s < 0) return default_value;
    const int32_t k = FindKey(s, key.GetData());
    if (k < 0) return default_value;
    return MString(m_Keys.At(static_cast<uint32_t>(k)).value);
}

int32_t MIniFile::ReadInteger(const MString& section, const MString& key, int32_t default_value) const {
    return ReadString(section, key, MString(default_value)).ToInteger();
}

bool MIniFile::ReadBool(const MString& section, const MString& key, bool default_value) const {
    return ReadString(section, key, MString(default_value)).ToBool();
}

int32_t MIniFile::WriteString(const MString& section, const MString& key, const MString& value,
                              const MString& comment) {
    int32_t s = FindSection(section.GetData());
    if (s < 0) {
        s = AddSection(section.GetData());
        if (s < 0) return s;
    }
    m_CurrentSection = s;
    int32_t k = FindKey(s, key.GetData());
    int32_t rc = 1;
    if (k >= 0) {
        KeyRecord& record = m_Keys.At(static_cast<uint32_t>(k));
        CopyName(record.value, sizeof(record.value), value.GetData());
        if (!comment.IsEmpty()) {
            const int32_t reference = FindComment(kKeyComment, k);
            rc = reference >= 0 ? ReplaceComment(reference, comment)
                                : AttachComment(kKeyComment, k, comment.GetData());
        }
    } else {
        k = AddKey(s, key.GetData(), value.GetData());
        if (k < 0) return k;
        m_CurrentKey = k;
        if (!comment.IsEmpty()) rc = AttachComment(kKeyComment, k, comment.GetData());
    }
    if (rc < 0) return rc;
    m_Modified = true;
    return 1;
}

int32_t MIniFile::WriteInteger(const MString& section, const MString& key, int32_t value,
                               const MString& comment) {
    return WriteString(section, key, MString(value), comment);
}

int32_t MIniFile::WriteBool(const MString& section, const MString& key, bool value,
                            const MString& comment) {
    return WriteString(section, key, MString(value), comment);
}

uint32_t MIniFile::GetSectionCount() const { return m_Sections.GetCount(); }

MString MIniFile::GetSectionName(uint32_t index) const {
    if (index >= m_Sections.GetCount()) return MString();
    return MString(m_Sections.At(index).name);
}

}  // namespace zephyr
