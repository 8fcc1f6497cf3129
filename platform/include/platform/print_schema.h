// The vocabulary of the public Print Schema: its namespaces and the
// driver's own, spelled here once for the provider, the host and (in
// UTF-16) the filters, and names compared by namespace URI and local name.
// platform/print_schema_reader.h reads documents in it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav::printticket {

inline constexpr char kFrameworkNamespace[] =
    "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr char kKeywordsNamespace[] =
    "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr char kSchemaInstanceNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char kSchemaNamespace[] = "http://www.w3.org/2001/XMLSchema";
// The driver's own keywords (private features, properties and options).
inline constexpr char kPrivateNamespace[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";

// A namespace URI in UTF-16, for code whose text is UTF-16 (the filters):
// the same characters as the ASCII spelling it is made from.
template <size_t N>
struct Utf16Uri {
    char16_t text[N]{};
    constexpr explicit Utf16Uri(const char (&ascii)[N])
    {
        for (size_t i = 0; i < N; ++i) text[i] = static_cast<char16_t>(ascii[i]);
    }
};

// The prefixes the provider uses in the documents it creates.
inline constexpr char kFrameworkPrefix[] = "psf";
inline constexpr char kKeywordsPrefix[] = "psk";
inline constexpr char kSchemaInstancePrefix[] = "xsi";
inline constexpr char kSchemaPrefix[] = "xsd";
inline constexpr char kPrivatePrefix[] = "ns0000";

// A name compared by namespace URI and local name, never by prefix.
struct QualifiedName {
    std::string ns;
    std::string local;

    bool operator==(const QualifiedName&) const = default;
    bool Is(std::string_view nameNamespace, std::string_view localName) const
    {
        return ns == nameNamespace && local == localName;
    }
};

inline QualifiedName Keyword(std::string_view local) { return {kKeywordsNamespace, std::string(local)}; }
inline QualifiedName PrivateKeyword(std::string_view local) { return {kPrivateNamespace, std::string(local)}; }

}  // namespace tav::printticket
