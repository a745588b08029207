#pragma once
// The maker's addresses and contact block: configuration of the product, kept in this one
// place. Placeholders under the project's own name until real ones exist.

#include <QString>

namespace Hersteller {
inline const QString Name = QStringLiteral("Veltrano-Projekt");
inline const QString Anschrift = QStringLiteral("Musterweg 1, 1010 Musterstadt");
// Home page; "spenden.htm" lies at its root, so it ends with "/".
inline const QString WebSeite = QStringLiteral("https://veltrano.example/");
inline const QString MailAdresse = QStringLiteral("veltrano@example.org");
inline const QString SpendenSeite = QStringLiteral("spenden.htm");
} // namespace Hersteller
