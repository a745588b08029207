#pragma once
// Samba's authentication file for the remote shutdown ("username = ...", "password = ...",
// "domain = ..." lines, passed with -A so that no password ever stands on a command line)
// and the reason Samba's net tool gives when the shutdown fails.

#include "platform/TEnergie.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The file's text; nothing for credentials Samba would read back differently (control
// characters, "%" in the user name, blanks at the start of the password) or without a user.
std::optional<QByteArray> FernanmeldungText(const TEnergie::TFernanmeldung& anmeldung);
TEnergie::TFernanmeldung FernanmeldungAusText(const QByteArray& text);

// Writes the file readable by its owner only (0600), whole or not at all; creates the
// folder (0700) when it is missing.
bool FernanmeldungSchreiben(const QString& pfad, const QByteArray& inhalt);

// What went wrong, from net's exit code and output: Samba's status code with a short
// German explanation, else net's last line.
QString SambaGrund(int code, const QByteArray& ausgabe);
