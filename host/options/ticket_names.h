// The namespaces of a PrintTicket.
#pragma once

namespace tav::options {

inline constexpr char kFrameworkUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr char kKeywordsUri[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
// The driver's own keywords.
inline constexpr char kPrivateUri[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";
inline constexpr char kXsiUri[] = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr char kXsdUri[] = "http://www.w3.org/2001/XMLSchema";

}  // namespace tav::options
