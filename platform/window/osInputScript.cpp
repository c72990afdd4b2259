#include "osInputScript.h"

#include "osKeys.h"
#include "osWindowBackEnd.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plat::os {
using namespace detail;

namespace {
// The key and shift state that type a character; false when none does.
bool KeyOfChar(char c, uint8_t& key, bool& shift)
{
    shift = false;
    if (c >= 'a' && c <= 'z') { key = uint8_t(kVkA + (c - 'a')); return true; }
    if (c >= 'A' && c <= 'Z') { key = uint8_t(kVkA + (c - 'A')); shift = true; return true; }
    if (c >= '0' && c <= '9') { key = uint8_t(kVk0 + (c - '0')); return true; }
    switch (c) {
    case ' ': key = kVkSpace; return true;
    case '.': key = 0xBE; return true;
    case ',': key = 0xBC; return true;
    case '-': key = 0xBD; return true;
    default: return false;
    }
}

bool ReadStep(const std::string& line, std::vector<InputStep>& steps)
{
    std::istringstream in(line);
    std::string word;
    in >> word;
    InputStep s;
    if (word == "wait") {
        s.kind = InputStep::Kind::Wait;
        long ms = -1;
        if (!(in >> ms) || ms < 0) return false;
        s.value = uint32_t(ms);
    } else if (word == "move" || word == "click" || word == "drop") {
        s.kind = word == "move" ? InputStep::Kind::Move : word == "click" ? InputStep::Kind::Click : InputStep::Kind::Drop;
        if (!(in >> s.x >> s.y)) return false;
        if (s.kind == InputStep::Kind::Drop) {
            std::getline(in >> std::ws, s.file);
            if (s.file.empty()) return false;
        }
    } else if (word == "key") {
        std::string code;
        if (!(in >> code)) return false;
        char* end = nullptr;
        const unsigned long vk = std::strtoul(code.c_str(), &end, 0);
        if (*end != '\0' || vk == 0 || vk > 0xFF) return false;
        s.kind = InputStep::Kind::Key;
        s.value = uint32_t(vk);
    } else if (word == "type") {
        std::string text;
        std::getline(in >> std::ws, text);
        for (char c : text) {
            uint8_t key = 0;
            bool shift = false;
            if (!KeyOfChar(c, key, shift)) return false;
            InputStep k;
            k.kind = InputStep::Kind::Key;
            k.value = key;
            k.modifiers = shift ? kModShift : 0;
            steps.push_back(k);
        }
        return true;
    } else if (word == "close") {
        s.kind = InputStep::Kind::Close;
    } else {
        return false;
    }
    steps.push_back(s);
    return true;
}

struct Player {
    bool loaded = false;
    std::vector<InputStep> steps;
    size_t next = 0;
    uint64_t due = 0;  // 0: from the first poll with a shown window
};

Player& ThePlayer()
{
    static Player player;
    return player;
}

void Load(Player& p)
{
    p.loaded = true;
    const char* name = std::getenv(kInputScriptVariable);
    if (!name || !*name) return;
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    int32_t bad = 0;
    if (!in || !ParseInputScript(text.str(), p.steps, bad)) {
        std::fprintf(stderr, "input script %s: unreadable at line %d\n", name, int(bad));
        p.steps.clear();
    }
}

WindowHandle FirstShownWindow()
{
    for (const auto& [handle, record] : S().windows)
        if (record && record->shown) return handle;
    return 0;
}
}  // namespace

bool ParseInputScript(const std::string& text, std::vector<InputStep>& steps, int32_t& badLine)
{
    std::istringstream in(text);
    std::string line;
    int32_t number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (!ReadStep(line.substr(first), steps)) {
            badLine = number;
            return false;
        }
    }
    badLine = 0;
    return true;
}

std::vector<InputEvent> InputStepEvents(const InputStep& s, WindowHandle w)
{
    switch (s.kind) {
    case InputStep::Kind::Wait: return {};
    case InputStep::Kind::Move: return {MakeInput(InputKind::MouseMove, w, s.x, s.y)};
    case InputStep::Kind::Click:
        return {MakeInput(InputKind::MouseMove, w, s.x, s.y), ButtonInput(true, w, 1, s.x, s.y),
                ButtonInput(false, w, 1, s.x, s.y)};
    case InputStep::Kind::Drop: {
        InputEvent enter = MakeInput(InputKind::DragEnter, w, s.x, s.y);
        enter.text = s.file + "\n";
        return {enter, MakeInput(InputKind::DragOver, w, s.x, s.y), MakeInput(InputKind::DropFile, w, s.x, s.y)};
    }
    case InputStep::Kind::Key:
        return {KeyInput(true, w, uint8_t(s.value), s.modifiers), KeyInput(false, w, uint8_t(s.value), s.modifiers)};
    case InputStep::Kind::Close: return {MakeInput(InputKind::CloseRequest, w)};
    }
    return {};
}

void PlayInputScript(uint64_t nowMs)
{
    Player& p = ThePlayer();
    if (!p.loaded) Load(p);
    if (p.next >= p.steps.size()) return;
    const WindowHandle w = FirstShownWindow();
    if (w == 0) return;
    if (p.due == 0) p.due = nowMs + kStepGapMs;
    if (nowMs < p.due) return;
    const InputStep& s = p.steps[p.next++];
    for (const InputEvent& e : InputStepEvents(s, w)) InjectInput(e);
    p.due = nowMs + (s.kind == InputStep::Kind::Wait ? s.value : kStepGapMs);
}

}  // namespace plat::os
