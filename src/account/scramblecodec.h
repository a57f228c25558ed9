#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <functional>

// The codec that hides the saved account name and password from a casual
// look at the credentials file. It is a substitution through one of 22 fixed
// tables, chosen at random and recorded in the output: no encryption.
//
// A scrambled string is six noise digits, the table number as two digits
// ("00" to "19"), two more noise digits, then the text with every character
// of the 89-character alphabet replaced through the chosen table; all other
// characters pass unchanged. It is always 10 characters longer than its input.

// Gives numbers u with 0 <= u < 1, one per call.
using RandomSource = std::function<double()>;

// Scrambles with the program's own random source, whose sequence is the same
// in every run.
QString ScrambleText(const QString &text);
QString ScrambleText(const QString &text, const RandomSource &random);

// Never fails: input shorter than 11 characters gives empty text, an index
// field that is no number reads as table 0, an index outside 0 to 21 drops
// every alphabet character of the body and keeps the others.
QString UnscrambleText(const QString &text);

namespace scramble {

constexpr int TableCount = 22;
constexpr int TableLength = 89;
// The scrambler chooses among tables 0 to 19; 20 and 21 are only read.
constexpr int DrawnTableLimit = 19;

// Table k (0 to 21) as 89 ASCII characters; table 0 is the alphabet itself.
QLatin1String table(int k);

// The program's random source: uniform on [0, 1), started from the same
// fixed state in every run.
double programRandom();

// Rounds to the nearest whole number, a half going to the even neighbour.
double roundHalfEven(double x);

// Reads the number at the start of a field: leading blanks (space, tab, line
// feed) skipped, one sign allowed, decimal digits with an optional fraction;
// reading stops at the first character that cannot continue the number, and
// a field with no readable number gives 0. Radix prefixes such as "&H" are
// not read (they give 0), nor are full-width digits. An exponent needs three
// characters, so it never occurs in the two-character index field: a letter
// after the digits just ends the reading.
double readNumber(QStringView field);

} // namespace scramble
