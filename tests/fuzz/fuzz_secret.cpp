// Stored passwords come from a file anyone may have edited: unscrambling any
// text must be safe, and scrambling must round-trip every password.
#include "fuzzinput.h"
#include "secretscrambler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const quint8 mask = input.byte();
    const QByteArray bytes = input.rest();

    SecretScrambler::unscrambleSecret(QString::fromLatin1(bytes), mask);
    const QString password = QString::fromUtf8(bytes);
    check(SecretScrambler::unscrambleSecret(SecretScrambler::scrambleSecret(password, mask), mask)
          == password);
    return 0;
}
