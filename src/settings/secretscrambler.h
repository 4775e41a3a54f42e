#pragma once

#include <QString>

// The broker password is kept in the settings file in a lightly obscured form:
// UTF-8 bytes XOR-ed with a one-byte mask, then Base64. This keeps the secret
// from being read over a shoulder; it is not encryption.
namespace SecretScrambler {

inline constexpr quint8 passwordMask = 0xA7;

QString scrambleSecret(const QString &text, quint8 mask = passwordMask);
QString unscrambleSecret(const QString &stored, quint8 mask = passwordMask);

} // namespace SecretScrambler
