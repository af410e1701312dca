#pragma once
// The editor in the user's language, as core/Language.h decides it from the environment: the
// windows' texts from tilora_LANG.qm (none for Japanese, the language they are laid out in),
// installed in the application, and the core's English messages from tilora-core_LANG.qm (made
// from translations/LANG.po; none for English), through which i18n() translates, both while this
// object lives. The default locale is the language's, so the resources in that language (the help
// document) are the ones found.

#include "core/Language.h"

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace tilora {

// <program folder>/../share/tilora/translations: where the package installs the catalogs and the
// build puts them (translations/CMakeLists.txt).
QString translationsFolder();

class Translations {
  public:
    // Uses the catalogs of the language `env` asks for from `folder`. A catalog that cannot be
    // read leaves those texts in their source language. Needs the application object.
    Translations(const QString& folder, const LocaleEnvironment& env);
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;
    ~Translations(); // puts back the catalogs that were in use before

    // The language chosen: "ja", "en", ...
    const QString& language() const { return language_; }

  private:
    static std::unique_ptr<QTranslator> loaded(const QString& file);

    QLocale previousLocale_;
    QString language_;
    std::unique_ptr<QTranslator> windowsCatalog_;
    std::unique_ptr<QTranslator> coreCatalog_;
    const QTranslator* previousCoreCatalog_ = nullptr;
};

} // namespace tilora
