#include "clTutorialPages.h"

#include "qz7files.h"
#include "qz7kvdata.h"

#include <cctype>

namespace {
std::string Lower(std::string s)
{
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

std::string TutorialText(const std::string& content)
{
    std::string out;
    const std::string lower = Lower(content);
    size_t from = 0;
    for (size_t at; (at = lower.find("<br>", from)) != std::string::npos; from = at + 4)
        out += content.substr(from, at - from) + "\r\n";
    return out + content.substr(from);
}

TTutorialPages::TTutorialPages() = default;
TTutorialPages::~TTutorialPages() = default;

void TTutorialPages::Clear() { tree_.reset(); }

int32_t TTutorialPages::Count() const { return tree_ ? tree_->ChildCount() : 0; }

TTutorialLoad TTutorialPages::Load(const std::string& fileName)
{
    tree_.reset();
    if (!IsFile(fileName)) return TUTORIAL_MISSING;
    auto tree = std::make_unique<TQZKeyValue>();
    // A cut or broken file gives no pages rather than some of them.
    if (!tree->ParseText(ReadTextFile(fileName)) || !tree->IsArray()) return TUTORIAL_MALFORMED;
    tree_ = std::move(tree);
    return TUTORIAL_LOADED;
}

const TQZKeyValue* TTutorialPages::FindRecord(const std::string& id, int32_t page) const
{
    if (!tree_) return nullptr;
    const std::string key = Lower(id);
    for (const TQZKeyValue* record : tree_->Children())
        if (Lower(record->GetString("ID")) == key && record->GetInt("Page") == page) return record;
    return nullptr;
}

bool TTutorialPages::Find(const std::string& id, int32_t page, TTutorialPage& out) const
{
    const TQZKeyValue* r = FindRecord(id, page);
    if (!r) return false;
    out.id = r->GetString("ID");
    out.page = r->GetInt("Page");
    out.totalPages = r->GetInt("TotalPages");
    out.image = r->GetString("Image");
    out.nextPage = r->GetString("NextPage");
    out.caption = r->GetString("Caption");
    out.title = r->GetString("Title");
    out.content = TutorialText(r->GetString("Content"));
    return true;
}
