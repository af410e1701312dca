#include "Translations.h"

#include "core/Texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

#include <atomic>

namespace tilora {

namespace {

// The catalog of the core's texts in use (the latest Translations' own), read from any thread.
std::atomic<const QTranslator*> coreCatalog{nullptr};

// The core's catalogs come from gettext files, whose entries have no context.
std::string translateCoreText(const char* english) {
    const QTranslator* catalog = coreCatalog.load();
    const QString text = catalog ? catalog->translate("", english) : QString();
    return text.isEmpty() ? std::string(english) : text.toStdString();
}

QString windowsCatalog(const QString& folder, std::string_view language) {
    return folder + QStringLiteral("/tilora_") +
           QString::fromUtf8(language.data(), qsizetype(language.size())) + QStringLiteral(".qm");
}

} // namespace

QString translationsFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tilora/translations");
}

Translations::Translations(const QString& folder, const LocaleEnvironment& env) {
    language_ = QString::fromStdString(editorLanguage(env, [&](std::string_view language) {
        return QFileInfo::exists(windowsCatalog(folder, language));
    }));
    if (language_ != QStringLiteral("ja")) {
        if (auto catalog = loaded(windowsCatalog(folder, language_.toStdString()))) {
            QCoreApplication::installTranslator(catalog.get());
            windowsCatalog_ = std::move(catalog);
        }
    }
    coreCatalog_ =
        loaded(folder + QStringLiteral("/tilora-core_") + language_ + QStringLiteral(".qm"));
    previousCoreCatalog_ = coreCatalog.exchange(coreCatalog_.get());
    installTranslator(&translateCoreText);
    // The resources of the language (the help document) follow the default locale.
    QLocale::setDefault(QLocale(language_));
}

Translations::~Translations() {
    QLocale::setDefault(previousLocale_);
    coreCatalog.store(previousCoreCatalog_);
    if (windowsCatalog_) QCoreApplication::removeTranslator(windowsCatalog_.get());
}

std::unique_ptr<QTranslator> Translations::loaded(const QString& file) {
    auto catalog = std::make_unique<QTranslator>();
    if (!catalog->load(file)) return nullptr;
    return catalog;
}

} // namespace tilora
