// A tree of named nodes holding text values, reached by dotted paths, with
// typed getters and setters, and its two text forms: lines of
// path="value" (settings, saved data) and a JSON-like text (tutorials,
// scenes, backdrops), whose compact form travels between peers.
#pragma once

#include "qz7core.h"
#include "qz7memory.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Text forms for LoadFromFile and SaveToFile.
constexpr int32_t KVFORM_LINES = 0;  // path="value" lines
constexpr int32_t KVFORM_JSON = 1;   // JSON-like text

// Lower-cases the key, then upper-cases its first character and every
// character after a '.': "checkUpdateURL" gives "Checkupdateurl".
std::string NormaliseKey(std::string_view key);

// Cuts the first key off a path: "List[0].Name" gives "List" and
// "[0].Name", then "[0]" and "Name". The first key comes back normalised,
// except that a path opening a "[" it never closes is taken whole, as written.
void SplitPath(std::string_view path, std::string& first, std::string_view& rest);

class TQZKeyValue : public TQZClass {
    // What every walk of the tree reads comes first, so that it shares the
    // node's first cache lines. The children are owned through this list
    // alone: a separate array object and the owned list would cost every
    // node two more heap blocks.
    std::vector<TQZKeyValue*> children_;
    TQZKeyValue* parent_ = nullptr;
    std::string name_;
    std::string value_;

public:
    using TChangeMethod = TQZMethod<void(TQZKeyValue*)>;

    // The value that marks a node as an array, and its elements' name.
    static constexpr std::string_view ARRAY_VALUE = "[..]";
    // Deepest nesting the JSON-like reader follows; deeper text is left
    // unread and the tree keeps what came before.
    static constexpr int32_t MAX_PARSE_DEPTH = 256;

    // A root node: the name is stored normalised.
    explicit TQZKeyValue(std::string_view name = {}, std::string_view value = {});
    // Unlinks the node from its parent and frees its subtree.
    ~TQZKeyValue() override;

    // A new child of parent, owned by it, taking the parent's overwrite
    // flag; nullptr without a parent (make a root with the constructor).
    static TQZKeyValue* Create(std::string_view name, std::string_view value, TQZKeyValue* parent);
    // An unnamed root filled from JSON-like text.
    static std::unique_ptr<TQZKeyValue> CreateFromText(std::string_view text);

    // Set on a node and all its ancestors when a value changes.
    bool modified = false;
    // When false, SetValue leaves a non-empty value alone.
    bool overwrite = true;
    // Told of every value change in the subtree below, unless a nearer
    // node has its own handler.
    TChangeMethod onChange;

    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }
    TQZKeyValue* Parent() const { return parent_; }
    // The child list, in order.
    const std::vector<TQZKeyValue*>& Children() const { return children_; }

    // Appends the node and takes ownership; the node is returned.
    TQZKeyValue* AddChild(std::unique_ptr<TQZKeyValue> node);
    // Unlinks a child and hands it back; nullptr when it is not a child.
    std::unique_ptr<TQZKeyValue> RemoveChild(TQZKeyValue* node);
    // Empties the value, frees the children and clears modified here and
    // above.
    void Clear();

    void SetValue(std::string_view text);
    void SetModified(bool flag);
    void SetOverwrite(bool flag);

    // Key of this node: "[i]" inside an array, else its name.
    std::string GetKey() const;
    // Keys from the root down: "Audio.Volume", "List[0].Name".
    std::string GetPath() const;

    TQZKeyValue* FindChild(std::string_view key) const;
    TQZKeyValue* FindNode(std::string_view path, bool create);
    const TQZKeyValue* FindNode(std::string_view path) const;
    TQZKeyValue* GetNode(std::string_view path) { return FindNode(path, true); }
    // Creates missing nodes along the path and sets the last one's value.
    TQZKeyValue* SetPath(std::string_view path, std::string_view value);
    bool HasPath(std::string_view path) const;
    // Frees the node at the path; false when there is none.
    bool DeletePath(std::string_view path);
    // SetPath, or AddArrayElement when the path ends in "[..]".
    TQZKeyValue* Put(std::string_view path, std::string_view value);
    // Makes the node at the path an array and appends an element to it.
    TQZKeyValue* AddArrayElement(std::string_view path, std::string_view value);

    // Getters never create nodes; a missing path reads as empty.
    std::string GetValue(std::string_view path) const;
    std::string GetString(std::string_view path) const { return GetValue(path); }
    void SetString(std::string_view path, std::string_view text) { Put(path, text); }
    bool GetBool(std::string_view path, bool def) const;
    void SetBool(std::string_view path, bool flag);
    int32_t GetInt(std::string_view path) const;
    void SetInt(std::string_view path, int32_t n);
    // Stored as the shortest decimal text of seven places (1.5, 2).
    void SetFloat(std::string_view path, float value);
    TQZPoint GetPoint(std::string_view path) const;
    void SetPoint(std::string_view path, TQZPoint p);
    // Bytes from "0x" and two hexadecimal digits a byte; nullptr when the
    // value does not hold at least one byte in that form.
    std::unique_ptr<TQZMemory> GetBytes(std::string_view path) const;
    void SetBytes(std::string_view path, const TQZMemory& memory);

    int32_t ChildCount() const { return static_cast<int32_t>(children_.size()); }
    TQZKeyValue* GetChild(int32_t index) const;
    std::vector<TQZKeyValue*> GetChildren() const;
    int32_t Depth() const;
    bool IsArray() const { return value_ == ARRAY_VALUE; }
    bool IsArrayElement() const { return parent_ && parent_->IsArray(); }

    // The first child whose values match every "key=value" item of the
    // comma-separated criteria, as in ID="intro",Page=2.
    TQZKeyValue* FindChildWhere(std::string_view criteria, bool caseSensitive) const;

    // False when the file cannot be read (nothing changes then). With
    // overwriteValues false only empty or missing values are filled.
    [[nodiscard]] bool LoadFromFile(const std::string& fileName, int32_t form, bool overwriteValues);
    // Replaces the file only once the new text is completely written; false
    // (with the old file untouched and modified kept) on failure.
    [[nodiscard]] bool SaveToFile(const std::string& fileName, int32_t form);

    // JSON-like text; compact leaves out line breaks and indentation of
    // children.
    std::string ToText(bool compact) const;
    // Reads JSON-like text into this node. False when the text was
    // malformed, cut short or nested too deeply: what came before the fault
    // is kept.
    [[nodiscard]] bool ParseText(std::string_view text);
    // Compact text without any blank outside strings, as bytes.
    std::vector<uint8_t> SaveToBytes() const;
    [[nodiscard]] bool LoadFromBytes(std::span<const uint8_t> bytes);

    // The path="value" lines form in memory, as LoadFromFile and SaveToFile
    // read and write it (lines end in CR LF; any line end is read).
    void ReadLines(std::string_view text);
    std::string LinesText() const;

private:
    friend class TQZKeyValueParser;

    void DetachChild(TQZKeyValue* node);
    int32_t IndexOfChild(const TQZKeyValue* node) const;
    void RebuildIndex();
    void SetName(std::string_view name);
    TQZKeyValue* FindChildNormalised(std::string_view key) const;
    TQZKeyValue* AppendElement(std::string_view value);
    // A new child whose name is already in normal form.
    TQZKeyValue* CreateNormalised(std::string_view name, std::string_view value);

    // Children by name once there are enough of them that scanning costs;
    // names are stable while a node is a child (SetName rebuilds this).
    std::unique_ptr<std::unordered_map<std::string_view, TQZKeyValue*>> index_;
};
