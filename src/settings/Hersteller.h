#pragma once
// The maker's addresses and contact block: configuration of the product, fixed when it is
// built (cmake/Bauwerte.cmake). An empty value means the maker gives none: its menu item is
// not shown and the information box leaves its line out.

#include <QString>
#include <QStringList>

struct THersteller {
    QString Name;
    QStringList Anschrift; // line by line
    QString Homepage;
    QString Mail;
    QString Spenden; // the donation page's full address
};

// What this build was configured with.
THersteller BauHersteller();
