#pragma once

// The identifying fields every service request carries after its command: appname, version,
// os, local and guid, in that order. The system values behind them (operating-system text,
// the machine's application-specific id) are read by functions that also exist in a pure form
// over given texts, so tests need neither /etc nor uname.

#include <QByteArray>
#include <QString>
#include <QStringList>

// PRETTY_NAME + " (Version " + VERSION_ID + ", Kernel " + kernel + ", 64-bit Edition)" (or
// "32-bit Edition"). A missing PRETTY_NAME reads "Linux", as os-release(5) says; a missing
// VERSION_ID leaves out the "Version" part.
QString osDescriptionFor(const QByteArray& osReleaseText, const QString& kernelRelease,
                         bool sixtyFourBit);
// Of this machine: /etc/os-release (else /usr/lib/os-release) and uname, read once per run.
// Never fails. Thread-safe.
QString OsDescription();

// The id this program sends for the machine, derived as machine-id(5) asks (the raw id never
// leaves the machine): HMAC-SHA256 keyed by the 128-bit machine id over this program's fixed
// UUID, cut to 128 bits, marked as a version 4 UUID and written as a lower-case GUID text.
// Empty when the text is not a machine id (32 hexadecimal digits and an optional newline).
QString machineGuidFor(const QByteArray& machineIdText);
// Of /etc/machine-id; empty when it cannot be read.
QString ReadMachineGuid();

struct ServiceIdentity {
    QString appName; // MainCaption
    QString version; // ShortVersion
    QString os;      // OsDescription
    QString locale;  // UserLocaleName
    QString guid;    // ReadMachineGuid
};

// The system's values for os, locale and guid around the program's own caption and version.
ServiceIdentity currentServiceIdentity(const QString& mainCaption, const QString& shortVersion);

// "appname=...", "version=...", "os=...", "local=...", "guid=..." (values as they are; the form
// encoding deals with spaces).
QStringList commonFields(const ServiceIdentity& identity);
