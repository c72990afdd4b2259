// The pages of "Assets\Tutorials\Tutorial.json": an array of page records
// (ID, Page, TotalPages, Title, Caption, Image, NextPage, Content), looked up
// by tutorial id, without regard to case, and page number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TQZKeyValue;

constexpr const char* kTutorialFile = "Assets\\Tutorials\\Tutorial.json";
constexpr const char* kTutorialFolder = "Assets\\Tutorials\\";

struct TTutorialPage {
    std::string id;
    int32_t page = 0;
    int32_t totalPages = 0;
    std::string image;
    std::string nextPage;  // ID + " " + page, or empty
    std::string caption;
    std::string title;
    std::string content;  // "<BR>" already turned into line breaks
};

enum TTutorialLoad : int32_t { TUTORIAL_LOADED = 0, TUTORIAL_MISSING = 1, TUTORIAL_MALFORMED = 2 };

class TTutorialPages {
public:
    TTutorialPages();
    ~TTutorialPages();

    // Replaces the pages; a missing or malformed file leaves none.
    TTutorialLoad Load(const std::string& fileName);
    void Clear();
    int32_t Count() const;
    // The first record of that id and page, or nothing.
    bool Find(const std::string& id, int32_t page, TTutorialPage& out) const;

private:
    const TQZKeyValue* FindRecord(const std::string& id, int32_t page) const;

    std::unique_ptr<TQZKeyValue> tree_;
};

// "<BR>" (any case) becomes a line break of the font's text drawing.
std::string TutorialText(const std::string& content);
