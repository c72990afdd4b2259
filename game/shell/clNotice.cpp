#include "clNotice.h"

#include "coreGameDiagnostics.h"

namespace {
std::function<void(const std::string&)>& Sink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}
}  // namespace

void ShowNoticeText(const std::string& text)
{
    AdminLog(text);
    if (Sink()) Sink()(text);
}

void SetNoticeSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }
