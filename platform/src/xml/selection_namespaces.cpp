#include "selection_namespaces.h"

namespace tav::xml {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsPrefixCharacter(char c) { return !IsBlank(c) && c != '=' && c != ':' && c != '\'' && c != '"'; }

}  // namespace

bool ParseSelectionNamespaces(std::string_view text, std::vector<NamespaceBinding>* bindings)
{
    bindings->clear();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        if (text.substr(i, 5) != "xmlns") return false;
        i += 5;
        NamespaceBinding binding;
        if (i < text.size() && text[i] == ':') {
            size_t start = ++i;
            while (i < text.size() && IsPrefixCharacter(text[i])) ++i;
            binding.prefix.assign(text.substr(start, i - start));
            if (binding.prefix.empty() || binding.prefix == "xmlns") return false;
        }
        skipBlanks();
        if (i >= text.size() || text[i] != '=') return false;
        ++i;
        skipBlanks();
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"')) return false;
        char quote = text[i++];
        size_t end = text.find(quote, i);
        if (end == std::string_view::npos) return false;
        binding.uri.assign(text.substr(i, end - i));
        if (!binding.prefix.empty() && binding.uri.empty()) return false;
        i = end + 1;
        // Declarations are separated by white space.
        if (i < text.size() && !IsBlank(text[i])) return false;
        skipBlanks();
        bindings->push_back(std::move(binding));
    }
    return true;
}

}  // namespace tav::xml
