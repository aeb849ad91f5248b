#pragma once
// The language of a run's texts, chosen before the game starts and kept until it closes.
#include <optional>
#include <string_view>

namespace vexa {

enum class Language { Japanese, English };

// The short names of the command line, the replay file and window.conf: "ja", "en".
inline std::string_view LanguageName(Language l) { return l == Language::English ? "en" : "ja"; }

inline std::optional<Language> ReadLanguage(std::string_view name) {
  if (name == "ja") return Language::Japanese;
  if (name == "en") return Language::English;
  return std::nullopt;
}

// A locale value (LC_MESSAGES, LANG) starting "ja" means Japanese; anything else, or none, English.
inline Language LanguageOfLocale(const char* locale) {
  return locale && std::string_view(locale).starts_with("ja") ? Language::Japanese : Language::English;
}

}  // namespace vexa
