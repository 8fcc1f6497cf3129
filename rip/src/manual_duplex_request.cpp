#include "manual_duplex_request.h"

#include "platform/async_notify.h"

namespace tav::rip {
namespace {

// The namespace of the request's own prefix, which the request declares
// for extensions of the driver's own.
constexpr char16_t kDriverNamespace[] = u"http://schemas.tavprint.example/2026/manual-duplex";

std::u16string Decimal(size_t number)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

std::u16string EscapedText(std::u16string_view text)
{
    std::u16string escaped;
    for (char16_t c : text) {
        switch (c) {
        case u'&': escaped += u"&amp;"; break;
        case u'<': escaped += u"&lt;"; break;
        case u'>': escaped += u"&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::optional<std::u16string> ManualDuplexArguments(std::u16string_view program, std::u16string_view listPath)
{
    std::u16string arguments =
        Decimal(program.size()) + u" " + std::u16string(program) + u" " + std::u16string(listPath);
    if (arguments.size() > kMaxManualDuplexArguments) return std::nullopt;
    return arguments;
}

std::optional<std::u16string> ManualDuplexRequest(std::u16string_view arguments)
{
    std::u16string document = u"<?xml version=\"1.0\" ?><asyncPrintUIRequest xmlns=\"" +
                              std::u16string(kAsyncPrintUIRequestNamespace) + u"\" xmlns:myco=\"" + kDriverNamespace +
                              u"\"><v1><requestOpen><customUI dll=\"TAVRIP.DLL\" entrypoint=\"StartManualDuplex\" "
                              u"bidi=\"false\">" +
                              EscapedText(arguments) + u"</customUI></requestOpen></v1></asyncPrintUIRequest>";
    if (document.size() > kMaxManualDuplexRequest) return std::nullopt;
    return document;
}

std::optional<ManualDuplexCall> ParseManualDuplexArguments(std::u16string_view arguments)
{
    size_t blank = arguments.find(u' ');
    if (blank == 0 || blank == std::u16string_view::npos || blank > 3) return std::nullopt;
    size_t length = 0;
    for (char16_t digit : arguments.substr(0, blank)) {
        if (digit < u'0' || digit > u'9') return std::nullopt;
        length = length * 10 + (digit - u'0');
    }
    // The name, a blank, and at least one character of the path.
    std::u16string_view rest = arguments.substr(blank + 1);
    if (length == 0 || length > kMaxManualDuplexArguments || rest.size() < length + 2 || rest[length] != u' ')
        return std::nullopt;
    return ManualDuplexCall{std::u16string(rest.substr(0, length)), std::u16string(rest.substr(length + 1))};
}

}  // namespace tav::rip
