// Sections, in order: helpers (key indexes, file reading, escaping,
// character sets); keys (normal form); life cycle (making, adding and
// removing nodes, the child index); values; paths (finding, making and
// deleting them); typed access; children; the JSON-like writer (three
// layouts); the JSON-like reader; path="value" lines, and loading and
// saving files.
#include "qz7kvdata.h"

#include "qz7files.h"
#include "qz7text.h"

#include <algorithm>
#include <new>

namespace {

// Past this many children a node looks them up by name through a hash
// index instead of scanning.
constexpr int32_t INDEX_THRESHOLD = 32;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// "[n]" with n a plain decimal index (no sign, no leading zero); -1 else.
int64_t ElementIndex(std::string_view key)
{
    if (key.size() < 3 || key.front() != '[' || key.back() != ']') return -1;
    std::string_view digits = key.substr(1, key.size() - 2);
    if (digits.size() > 1 && digits[0] == '0') return -1;
    if (digits.size() > 10) return -1;
    int64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// How many levels a key walks down, cut as SplitPath cuts it; an empty key
// stays on its node but still counts, so that nesting stays bounded.
int32_t KeyLevels(std::string_view key)
{
    int32_t levels = 0;
    while (!key.empty() && levels < INT32_MAX / 2) {
        ++levels;
        size_t cut = key[0] == '[' ? key.find(']') : key.find_first_of(".[");
        if (cut == std::string_view::npos) break;
        if (key[0] == '[') {
            key.remove_prefix(cut + 1);
            if (!key.empty() && key[0] == '.') key.remove_prefix(1);
        } else {
            key.remove_prefix(key[cut] == '.' ? cut + 1 : cut);
        }
    }
    return std::max(levels, 1);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadWholeFile(const std::string& fileName, std::string& out)
{
    TQZFileHandle h;
    if (!IsFile(fileName) || OpenFileHandle(fileName, true, false, h) != QZRES_OK) return false;
    out.clear();
    char buf[65536];
    for (;;) {
        int64_t n = h.Read(buf, sizeof buf);
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buf, static_cast<size_t>(n));
    }
}

void AppendEscaped(std::string& out, std::string_view text)
{
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' && text[i] != '"') continue;
        out.append(text, from, i - from);
        out += '\\';
        from = i;
    }
    out.append(text, from, std::string_view::npos);
}

// A set of characters to search for. The library's find_first_of looks
// every character of the text up in the set one call at a time, which
// dominates reading long strings.
class TCharSet {
public:
    constexpr explicit TCharSet(std::string_view chars)
    {
        for (char c : chars) in_[static_cast<unsigned char>(c)] = true;
    }
    // Position of the first character of the set at or after from; npos
    // when none.
    size_t FindIn(std::string_view text, size_t from) const
    {
        for (size_t i = from; i < text.size(); ++i)
            if (in_[static_cast<unsigned char>(text[i])]) return i;
        return std::string_view::npos;
    }

private:
    bool in_[256] = {};
};

constexpr TCharSet KEY_END(":,{}[]\"");
constexpr TCharSet STRING_END("\"\\");
constexpr TCharSet TOKEN_END(",}]\"{[");
constexpr TCharSet PATH_CUT(".[");

// Runs write on a buffer kept between calls and returns a copy of what it
// wrote: a large text then grows in memory already at hand instead of
// through a series of ever larger fresh buffers. A buffer grown past a few
// MiB is given back.
template <class F> std::string BuildText(F&& write)
{
    thread_local std::string buffer;
    buffer.clear();
    write(buffer);
    std::string out(buffer);
    if (buffer.capacity() > (4u << 20)) std::string().swap(buffer);
    return out;
}

std::string IndexKey(int32_t index) { return "[" + std::to_string(index) + "]"; }

}  // namespace

// ---------------------------------------------------------------- keys
std::string NormaliseKey(std::string_view key)
{
    std::string out(key.size(), '\0');
    bool upper = true;
    for (size_t i = 0; i < key.size(); ++i) {
        char c = key[i];
        out[i] = upper ? UpperAscii(c) : LowerAscii(c);
        upper = c == '.';
    }
    return out;
}

void SplitPath(std::string_view path, std::string& first, std::string_view& rest)
{
    rest = {};
    if (path.empty()) {
        first.clear();
        return;
    }
    if (path[0] == '[') {
        size_t close = path.find(']');
        if (close == std::string_view::npos) {
            first.assign(path);
            return;
        }
        first = NormaliseKey(path.substr(0, close + 1));
        rest = path.substr(close + 1);
        if (!rest.empty() && rest[0] == '.') rest.remove_prefix(1);
        return;
    }
    size_t cut = PATH_CUT.FindIn(path, 0);
    if (cut == std::string_view::npos) {
        first = NormaliseKey(path);
        return;
    }
    first = NormaliseKey(path.substr(0, cut));
    rest = path.substr(path[cut] == '.' ? cut + 1 : cut);
}

// ---------------------------------------------------------------- life cycle
TQZKeyValue::TQZKeyValue(std::string_view name, std::string_view value)
    : name_(NormaliseKey(name)), value_(value)
{
}

TQZKeyValue::~TQZKeyValue()
{
    if (parent_) parent_->DetachChild(this);
    Clear();
}

TQZKeyValue* TQZKeyValue::Create(std::string_view name, std::string_view value, TQZKeyValue* parent)
{
    return parent ? parent->CreateNormalised(NormaliseKey(name), value) : nullptr;
}

TQZKeyValue* TQZKeyValue::CreateNormalised(std::string_view name, std::string_view value)
{
    auto node = std::make_unique<TQZKeyValue>(std::string_view(), value);
    node->name_.assign(name);
    node->overwrite = overwrite;
    return AddChild(std::move(node));
}

std::unique_ptr<TQZKeyValue> TQZKeyValue::CreateFromText(std::string_view text)
{
    auto root = std::make_unique<TQZKeyValue>();
    (void)root->ParseText(text);  // what came before a fault is kept
    return root;
}

TQZKeyValue* TQZKeyValue::AddChild(std::unique_ptr<TQZKeyValue> node)
{
    if (!node) return nullptr;
    try {
        // A first child gets room for a few more, as most parents have several.
        if (children_.empty()) children_.reserve(4);
        children_.push_back(node.get());
    } catch (const std::bad_alloc&) {
        return nullptr;  // out of memory: node freed
    }
    TQZKeyValue* raw = node.release();
    raw->parent_ = this;
    if (index_) index_->try_emplace(raw->name_, raw);
    else if (ChildCount() >= INDEX_THRESHOLD) RebuildIndex();
    return raw;
}

void TQZKeyValue::DetachChild(TQZKeyValue* node)
{
    if (node->parent_ != this) return;
    // Searched from the end: a tree freed from the last child to the first
    // then finds each one at once.
    auto it = std::find(children_.rbegin(), children_.rend(), node);
    if (it == children_.rend()) return;
    children_.erase(std::next(it).base());
    node->parent_ = nullptr;
    if (index_) RebuildIndex();
}

std::unique_ptr<TQZKeyValue> TQZKeyValue::RemoveChild(TQZKeyValue* node)
{
    if (!node || node->parent_ != this) return nullptr;
    DetachChild(node);
    return std::unique_ptr<TQZKeyValue>(node);
}

void TQZKeyValue::RebuildIndex()
{
    index_.reset();
    if (ChildCount() < INDEX_THRESHOLD) return;
    auto index = std::make_unique<std::unordered_map<std::string_view, TQZKeyValue*>>();
    index->reserve(static_cast<size_t>(ChildCount()) * 2);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        TQZKeyValue* child = GetChild(i);
        index->try_emplace(child->name_, child);  // the first of equal names wins
    }
    index_ = std::move(index);
}

void TQZKeyValue::SetName(std::string_view name)
{
    TQZKeyValue* parent = parent_;
    if (parent) parent->index_.reset();
    name_.assign(name);
    if (parent) parent->RebuildIndex();
}

void TQZKeyValue::Clear()
{
    value_.clear();
    if (!children_.empty()) {
        // Taken out of the node first, and each child unlinked before it is
        // freed, so that none searches the list as it goes.
        std::vector<TQZKeyValue*> children;
        children.swap(children_);
        index_.reset();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            (*it)->parent_ = nullptr;
            std::unique_ptr<TQZKeyValue>(*it).reset();
        }
    }
    SetModified(false);
}

// ---------------------------------------------------------------- values
void TQZKeyValue::SetValue(std::string_view text)
{
    if (!overwrite && !value_.empty()) return;
    if (text == value_) return;
    value_.assign(text);
    SetModified(true);
    for (TQZKeyValue* n = this; n; n = n->parent_) {
        if (n->onChange) {
            n->onChange(this);
            break;
        }
    }
}

void TQZKeyValue::SetModified(bool flag)
{
    for (TQZKeyValue* n = this; n; n = n->parent_) n->modified = flag;
}

void TQZKeyValue::SetOverwrite(bool flag)
{
    std::vector<TQZKeyValue*> pending{this};
    while (!pending.empty()) {
        TQZKeyValue* n = pending.back();
        pending.pop_back();
        n->overwrite = flag;
        for (int32_t i = 0; i < n->ChildCount(); ++i) pending.push_back(n->GetChild(i));
    }
}

std::string TQZKeyValue::GetKey() const
{
    if (IsArrayElement()) return IndexKey(parent_->IndexOfChild(this));
    return name_;
}

std::string TQZKeyValue::GetPath() const
{
    std::vector<const TQZKeyValue*> chain;
    for (const TQZKeyValue* n = this; n; n = n->parent_) chain.push_back(n);
    std::string path = chain.back()->GetKey();
    for (size_t i = chain.size() - 1; i-- > 0;) {
        if (!path.empty() && !chain[i + 1]->IsArray()) path += '.';
        path += chain[i]->GetKey();
    }
    return path;
}

// ---------------------------------------------------------------- paths
namespace {
// Cuts the next key off the path, in normal form even where SplitPath
// leaves it as written (an unclosed "["), since lookups normalise it anyway.
void NextKey(std::string_view& path, std::string& key)
{
    SplitPath(path, key, path);
    if (path.empty() && !key.empty() && key[0] == '[' && key.find(']') == std::string::npos)
        key = NormaliseKey(key);
}
}  // namespace

TQZKeyValue* TQZKeyValue::FindChildNormalised(std::string_view key) const
{
    if (ChildCount() == 0) return nullptr;
    if (IsArray()) {
        int64_t i = ElementIndex(key);
        return i >= 0 && i < ChildCount() ? GetChild(static_cast<int32_t>(i)) : nullptr;
    }
    if (index_) {
        auto it = index_->find(key);
        return it == index_->end() ? nullptr : it->second;
    }
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (GetChild(i)->name_ == key) return GetChild(i);
    return nullptr;
}

TQZKeyValue* TQZKeyValue::FindChild(std::string_view key) const
{
    return FindChildNormalised(NormaliseKey(key));
}

const TQZKeyValue* TQZKeyValue::FindNode(std::string_view path) const
{
    const TQZKeyValue* node = this;
    std::string key;
    while (node && !path.empty()) {
        NextKey(path, key);
        node = node->FindChildNormalised(key);
    }
    return node;
}

TQZKeyValue* TQZKeyValue::FindNode(std::string_view path, bool create)
{
    TQZKeyValue* node = this;
    std::string key;
    while (!path.empty()) {
        std::string_view remaining = path;
        NextKey(path, key);
        TQZKeyValue* child = node->FindChildNormalised(key);
        if (!child) return create ? node->SetPath(remaining, {}) : nullptr;
        node = child;
    }
    return node;
}

TQZKeyValue* TQZKeyValue::SetPath(std::string_view path, std::string_view value)
{
    TQZKeyValue* node = this;
    std::string key;
    while (!path.empty()) {
        NextKey(path, key);
        TQZKeyValue* child = node->FindChildNormalised(key);
        node = child ? child : node->CreateNormalised(key, {});
    }
    node->SetValue(value);
    return node;
}

bool TQZKeyValue::HasPath(std::string_view path) const { return FindNode(path) != nullptr; }

bool TQZKeyValue::DeletePath(std::string_view path)
{
    if (path.empty()) return false;
    TQZKeyValue* node = FindNode(path, false);
    if (!node || !node->parent_) return false;
    TQZKeyValue* parent = node->parent_;
    parent->RemoveChild(node).reset();
    // Losing a node is a change that must reach the next save.
    parent->SetModified(true);
    return true;
}

TQZKeyValue* TQZKeyValue::Put(std::string_view path, std::string_view value)
{
    if (path.size() >= ARRAY_VALUE.size() && path.substr(path.size() - ARRAY_VALUE.size()) == ARRAY_VALUE)
        return AddArrayElement(path.substr(0, path.size() - ARRAY_VALUE.size()), value);
    return SetPath(path, value);
}

TQZKeyValue* TQZKeyValue::AppendElement(std::string_view value)
{
    SetValue(ARRAY_VALUE);
    return CreateNormalised(ARRAY_VALUE, value);
}

TQZKeyValue* TQZKeyValue::AddArrayElement(std::string_view path, std::string_view value)
{
    return GetNode(path)->AppendElement(value);
}

// ---------------------------------------------------------------- typed access
std::string TQZKeyValue::GetValue(std::string_view path) const
{
    const TQZKeyValue* node = FindNode(path);
    return node ? node->value_ : std::string();
}

bool TQZKeyValue::GetBool(std::string_view path, bool def) const { return TextToBoolDef(GetValue(path), def); }

void TQZKeyValue::SetBool(std::string_view path, bool flag) { Put(path, flag ? "true" : "false"); }

int32_t TQZKeyValue::GetInt(std::string_view path) const { return TextToIntDef(GetValue(path), 0); }

void TQZKeyValue::SetInt(std::string_view path, int32_t n) { Put(path, std::to_string(n)); }

TQZPoint TQZKeyValue::GetPoint(std::string_view path) const { return TextToPoint(GetValue(path), {0, 0}); }

void TQZKeyValue::SetPoint(std::string_view path, TQZPoint p) { Put(path, PointToText(p)); }
void TQZKeyValue::SetFloat(std::string_view path, float value) { Put(path, FloatToTextTrim(value)); }

std::unique_ptr<TQZMemory> TQZKeyValue::GetBytes(std::string_view path) const
{
    std::string v = GetValue(path);
    if (v.size() < 4 || v[0] != '0' || v[1] != 'x') return nullptr;
    int32_t count = static_cast<int32_t>(std::min<size_t>(v.size() / 2 - 1, INT32_MAX));
    auto memory = std::make_unique<TQZMemory>(count);
    if (memory->Size() != count) return nullptr;
    for (int32_t i = 0; i < count; ++i) {
        int hi = HexDigit(v[2 * size_t(i) + 2]), lo = HexDigit(v[2 * size_t(i) + 3]);
        memory->SetByte(i, hi < 0 || lo < 0 ? 0 : uint8_t(hi * 16 + lo));
    }
    return memory;
}

void TQZKeyValue::SetBytes(std::string_view path, const TQZMemory& memory)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    text.reserve(2 + 2 * size_t(memory.Size()));
    for (int32_t i = 0; i < memory.Size(); ++i) {
        uint8_t b = memory.GetByte(i);
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    Put(path, text);
}

// ---------------------------------------------------------------- children
TQZKeyValue* TQZKeyValue::GetChild(int32_t index) const
{
    return index >= 0 && index < ChildCount() ? children_[static_cast<size_t>(index)] : nullptr;
}

int32_t TQZKeyValue::IndexOfChild(const TQZKeyValue* node) const
{
    auto it = std::find(children_.begin(), children_.end(), node);
    return it == children_.end() ? -1 : static_cast<int32_t>(it - children_.begin());
}

std::vector<TQZKeyValue*> TQZKeyValue::GetChildren() const
{
    return children_;
}

int32_t TQZKeyValue::Depth() const
{
    int32_t depth = 0;
    for (const TQZKeyValue* n = parent_; n; n = n->parent_) ++depth;
    return depth;
}

TQZKeyValue* TQZKeyValue::FindChildWhere(std::string_view criteria, bool caseSensitive) const
{
    std::vector<std::pair<std::string, std::string>> items;
    for (const std::string& item : SplitCommaList(criteria, true)) {
        size_t eq = item.find('=');
        std::string key = UnquoteText(item.substr(0, eq));
        std::string value = eq == std::string::npos ? std::string() : UnquoteText(item.substr(eq + 1));
        if (!caseSensitive) value = LowerText(value);
        items.emplace_back(std::move(key), std::move(value));
    }
    for (int32_t i = 0; i < ChildCount(); ++i) {
        TQZKeyValue* child = GetChild(i);
        bool all = true;
        for (const auto& [key, value] : items) {
            std::string have = child->GetString(key);
            if (!caseSensitive) have = LowerText(have);
            if (have != value) {
                all = false;
                break;
            }
        }
        if (all) return child;
    }
    return nullptr;
}

// ---------------------------------------------------------------- JSON-like writer
// Layouts: with line breaks and indentation; compact, where line breaks
// become blanks and only closing braces are indented; and the byte form,
// the compact text without any blank outside strings.
enum class TKVLayout { Pretty, Compact, Bytes };

class TQZKeyValueWriter {
public:
    TQZKeyValueWriter(TKVLayout layout, std::string& out) : layout_(layout), out_(out) {}

    // bare: the node's key is not written (array elements; roots, whose
    // text has no place for their own key). Members of an object always
    // carry their key, even an empty one, or the text would not read back.
    void Write(const TQZKeyValue* n, std::string_view key, bool bare, int32_t depth)
    {
        if (n->ChildCount() > 0 && n->IsArray()) WriteArray(n, key, bare, depth);
        else if (n->ChildCount() > 0) WriteObject(n, key, bare, depth);
        else WriteLeaf(n, key, bare);
    }

private:
    void NewLine()
    {
        if (layout_ != TKVLayout::Bytes) out_ += layout_ == TKVLayout::Compact ? " " : "\r\n";
    }
    void Indent(int32_t depth)
    {
        if (layout_ != TKVLayout::Bytes) out_.append(2 * size_t(std::max(depth, 0)), ' ');
    }
    void Quoted(std::string_view text)
    {
        out_ += '"';
        AppendEscaped(out_, text);
        out_ += '"';
    }
    void KeyPrefix(std::string_view key)
    {
        Quoted(key);
        out_ += layout_ == TKVLayout::Bytes ? ":" : ": ";
    }

    void WriteArray(const TQZKeyValue* n, std::string_view key, bool bare, int32_t depth)
    {
        if (!bare) KeyPrefix(key);
        out_ += layout_ == TKVLayout::Bytes ? "[" : "[ ";
        for (int32_t i = 0; i < n->ChildCount(); ++i) {
            if (i > 0) out_ += ',';
            Write(n->GetChild(i), {}, true, depth + 1);
        }
        out_ += layout_ == TKVLayout::Bytes ? "]" : " ]";
    }

    void WriteObject(const TQZKeyValue* n, std::string_view key, bool bare, int32_t depth)
    {
        if (!n->Parent() && !n->Name().empty()) {
            out_ += '{';
            NewLine();
            KeyPrefix("__ancestor");
            Quoted(key);
            out_ += ',';
        } else {
            if (!bare) KeyPrefix(key);
            out_ += '{';
        }
        NewLine();
        if (!n->Value().empty()) {
            KeyPrefix("__value");
            Quoted(n->Value());
            out_ += ',';
            NewLine();
        }
        for (int32_t i = 0; i < n->ChildCount(); ++i) {
            const TQZKeyValue* child = n->GetChild(i);
            if (layout_ == TKVLayout::Pretty) Indent(depth + 1);
            Write(child, child->Name(), false, depth + 1);
            if (i + 1 < n->ChildCount()) out_ += ',';
            NewLine();
        }
        Indent(depth);
        out_ += '}';
    }

    void WriteLeaf(const TQZKeyValue* n, std::string_view key, bool bare)
    {
        if (!bare) KeyPrefix(key);
        const std::string& v = n->Value();
        if (v.empty()) {
            out_ += "null";
        } else if (!IsBlank(v[0]) && (IsIntegerText(v) || IsFloatText(v) || (v.size() <= 5 && IsBoolText(v)))) {
            // A leading blank would be lost on reading, so such a value
            // stays quoted.
            out_ += v;
        } else {
            Quoted(v);
        }
    }

    TKVLayout layout_;
    std::string& out_;
};

namespace {
std::string WriteText(const TQZKeyValue* node, TKVLayout layout)
{
    return BuildText([&](std::string& out) {
        TQZKeyValueWriter writer(layout, out);
        writer.Write(node, node->GetKey(), !node->Parent() || node->IsArrayElement(), node->Depth());
    });
}
}  // namespace

std::string TQZKeyValue::ToText(bool compact) const
{
    return WriteText(this, compact ? TKVLayout::Compact : TKVLayout::Pretty);
}

std::vector<uint8_t> TQZKeyValue::SaveToBytes() const
{
    // The writer leaves blanks outside strings only where the layout puts
    // them (values with a leading blank are quoted), so dropping them here
    // is the same as stripping the compact text.
    std::string text = WriteText(this, TKVLayout::Bytes);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// ---------------------------------------------------------------- JSON-like reader
// One pass over the text in place: blanks outside strings are passed over
// (and dropped from bare tokens and unquoted keys), every read is checked
// against the end, strings are skipped whole so brackets inside them do not
// count, and nesting stops at MAX_PARSE_DEPTH levels.
class TQZKeyValueParser {
public:
    explicit TQZKeyValueParser(std::string_view text) : s_(text) {}

    bool Run(TQZKeyValue* node)
    {
        ParseValue(node, 0);
        SkipBlanks();
        return !failed_ && AtEnd();
    }

private:
    bool AtEnd() const { return pos_ >= s_.size(); }
    bool Fail()
    {
        failed_ = true;
        return false;
    }
    void SkipBlanks()
    {
        while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
    }
    // The next character that is not a blank, or 0 at the end.
    char Peek()
    {
        SkipBlanks();
        return AtEnd() ? '\0' : s_[pos_];
    }

    void ParseValue(TQZKeyValue* node, int32_t level)
    {
        switch (Peek()) {
        case '\0':
            if (AtEnd()) return;  // nothing left: the value stays as it is
            node->SetValue(ReadToken());
            break;
        case '"': {
            std::string text;
            if (ReadString(text)) node->SetValue(text);
            break;
        }
        case '[': ParseArray(node, level); break;
        case '{': ParseObject(node, level); break;
        default: node->SetValue(ReadToken()); break;
        }
    }

    void ParseArray(TQZKeyValue* node, int32_t level)
    {
        ++pos_;
        node->SetValue(TQZKeyValue::ARRAY_VALUE);
        if (Peek() == ']') {
            ++pos_;
            return;
        }
        while (!failed_) {
            if (AtEnd() || level + 1 > TQZKeyValue::MAX_PARSE_DEPTH) {
                Fail();
                return;
            }
            ParseValue(node->AppendElement({}), level + 1);
            if (failed_ || !AfterItem(']')) return;
        }
    }

    void ParseObject(TQZKeyValue* node, int32_t level)
    {
        ++pos_;
        if (Peek() == '}') {
            ++pos_;
            return;
        }
        while (!failed_) {
            std::string key, text;
            if (!ReadKey(key)) return;
            // The writer puts "__ancestor" only at the top, for a named root,
            // and either word only before a string; elsewhere they are keys
            // of children of that name, which then survive a round trip.
            bool ancestor = key == "__ancestor" && level == 0;
            char next = Peek();
            if ((key == "__value" || ancestor) && next != '{' && next != '[') {
                if (!ReadScalar(text)) return;
                if (ancestor) node->SetName(text);
                else node->SetValue(text);
            } else {
                int32_t childLevel = level + KeyLevels(key);
                if (childLevel > TQZKeyValue::MAX_PARSE_DEPTH) {
                    Fail();
                    return;
                }
                ParseValue(node->SetPath(key, {}), childLevel);
            }
            if (failed_ || !AfterItem('}')) return;
        }
    }

    // After a member or element: a comma (a trailing one before the close
    // is allowed) or the close. False when the container has ended.
    bool AfterItem(char close)
    {
        char c = Peek();
        if (AtEnd()) return Fail();
        if (c == close) {
            ++pos_;
            return false;
        }
        if (c != ',') return Fail();
        ++pos_;
        if (Peek() == close && !AtEnd()) {
            ++pos_;
            return false;
        }
        return true;
    }

    // The quoted key, or the text before the colon; the colon is used up.
    bool ReadKey(std::string& key)
    {
        char c = Peek();
        if (AtEnd()) return Fail();
        if (c == '"') {
            if (!ReadString(key)) return false;
        } else {
            size_t end = KEY_END.FindIn(s_, pos_);
            if (end == std::string_view::npos || s_[end] != ':') return Fail();
            key.assign(WithoutBlanks(s_.substr(pos_, end - pos_)));
            pos_ = end;
        }
        if (Peek() != ':') return Fail();
        ++pos_;
        return true;
    }

    // A string or a bare token (the caller has seen it is no container).
    bool ReadScalar(std::string& text)
    {
        if (Peek() == '"') return ReadString(text);
        text.assign(ReadToken());
        return true;
    }

    // At an opening quote: the text up to the closing one, unescaped.
    bool ReadString(std::string& text)
    {
        size_t i = pos_ + 1;
        bool escaped = false;
        for (;;) {
            i = STRING_END.FindIn(s_, i);
            if (i == std::string_view::npos) return Fail();
            if (s_[i] == '"') break;
            escaped = true;
            i += 2;
        }
        std::string_view inner = s_.substr(pos_ + 1, i - pos_ - 1);
        if (escaped) text = UnescapeText(inner);
        else text.assign(inner);
        pos_ = i + 1;
        return true;
    }

    // A bare token (a number, true, false, null) up to the next ',', '}'
    // or ']', or a quote or bracket that cannot belong to it; blanks inside
    // are dropped and "null" is the empty value.
    std::string_view ReadToken()
    {
        size_t end = TOKEN_END.FindIn(s_, pos_);
        if (end == std::string_view::npos) end = s_.size();
        std::string_view token = WithoutBlanks(s_.substr(pos_, end - pos_));
        pos_ = end;
        return token == "null" ? std::string_view() : token;
    }

    std::string_view WithoutBlanks(std::string_view text)
    {
        if (std::none_of(text.begin(), text.end(), IsBlank)) return text;
        scratch_.clear();
        for (char c : text)
            if (!IsBlank(c)) scratch_ += c;
        return scratch_;
    }

    std::string_view s_;
    size_t pos_ = 0;
    bool failed_ = false;
    std::string scratch_;
};

bool TQZKeyValue::ParseText(std::string_view text) { return TQZKeyValueParser(text).Run(this); }

bool TQZKeyValue::LoadFromBytes(std::span<const uint8_t> bytes)
{
    return ParseText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// ---------------------------------------------------------------- path="value" lines
void TQZKeyValue::ReadLines(std::string_view text)
{
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find_first_of("\r\n", from);
        if (end == std::string_view::npos) end = text.size();
        std::string line = TrimText(text.substr(from, end - from));
        from = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);

        if (line.size() < 2 || line.compare(0, 2, "//") == 0) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || CountChar(line, '"') != 2) continue;
        size_t open = line.find('"');
        size_t close = line.find('"', open + 1);
        std::string key = TrimText(std::string_view(line).substr(0, eq));
        // A path nested deeper than the reader ever follows is not data.
        if (key.empty() || KeyLevels(key) > MAX_PARSE_DEPTH) continue;
        SetPath(key, std::string_view(line).substr(open + 1, close - open - 1));
    }
}

namespace {
// Lines cannot carry line breaks or double quotes, and a path with '=' or a
// double quote would read back as another path.
bool PathFitsLine(std::string_view path) { return path.find_first_of("=\"\r\n") == std::string_view::npos; }

void AppendLineValue(std::string& out, std::string_view value)
{
    for (char c : value) out += c == '"' ? '\'' : (c == '\r' || c == '\n' ? ' ' : c);
}

// path holds the node's path on entry and again on return; children
// extend it in place.
void WriteLines(const TQZKeyValue* n, std::string& path, std::string& out)
{
    if (!path.empty() && !(n->ChildCount() > 0 && n->Value().empty()) && PathFitsLine(path)) {
        out += path;
        out += "=\"";
        AppendLineValue(out, n->Value());
        out += "\"\r\n";
    }
    size_t length = path.size();
    for (int32_t i = 0; i < n->ChildCount(); ++i) {
        const TQZKeyValue* child = n->GetChild(i);
        if (length > 0 && !n->IsArray()) path += '.';
        path += n->IsArray() ? IndexKey(i) : child->Name();
        WriteLines(child, path, out);
        path.resize(length);
    }
}
}  // namespace

std::string TQZKeyValue::LinesText() const
{
    return BuildText([this](std::string& out) {
        std::string path = GetPath();
        WriteLines(this, path, out);
    });
}

bool TQZKeyValue::LoadFromFile(const std::string& fileName, int32_t form, bool overwriteValues)
{
    if (form != KVFORM_LINES && form != KVFORM_JSON) return false;
    std::string file;
    if (!ReadWholeFile(fileName, file)) return false;
    // Editors may open a file with a UTF-8 byte order mark; it is not text.
    std::string_view text = file;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool remembered = overwrite;
    SetOverwrite(overwriteValues);
    if (form == KVFORM_LINES) ReadLines(text);
    else (void)ParseText(text);  // the file was read: a malformed tail keeps what came before
    SetOverwrite(remembered);
    return true;
}

bool TQZKeyValue::SaveToFile(const std::string& fileName, int32_t form)
{
    if (form != KVFORM_LINES && form != KVFORM_JSON) return false;
    std::string text = form == KVFORM_LINES ? LinesText() : ToText(false);
    if (WriteTextFile(fileName, text) != QZRES_OK) return false;
    modified = false;
    return true;
}
