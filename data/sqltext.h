#ifndef SQLTEXT_H
#define SQLTEXT_H

#include <QString>

// Typed text never becomes SQL as it stands.

// The text with every single quote doubled, for placing between the quotes of a
// statement: "where name='" + sqlEsc(name) + "'". LIKE wildcards are kept.
QString sqlEsc(const QString &text);

// A complete SQL text literal: 'O''Brien'.
QString sqlLiteral(const QString &text);

// A search for rows whose column contains the typed text: "lower(col) like
// lower(?)" + kLikeEscape, bound to likeContaining(text). The typed % and _
// stay wildcards, as in every search of the program; a backslash is a
// backslash on both engines (the server reads it as LIKE's escape character
// unless told otherwise, SQLite has none unless told one).
QString likeContaining(const QString &typed);
extern const char kLikeEscape[];

// A table or column name as a statement writes it: a word the server reserves
// ("user") in double quotes, which SQLite reads the same.
QString sqlName(const QString &name);

// Parses a number typed by a person (blanks around it allowed). Text that is not a
// number gives 0 and *ok = false.
double parseNumber(const QString &text, bool *ok = nullptr);

// Money written by the program: plain decimal, at most two decimals, trailing zeros
// dropped, never an exponent ("80", "12345.67", "1000000", "-3.5").
QString moneyText(double value);

// The same amount as a person reads it, on a label, a list or a receipt: always
// two decimals ("36.10", "80.00", "-3.50"). Stored and exported values keep
// moneyText.
QString moneyShown(double value);

// Factors and ratios: the general format with 6 significant digits.
QString numberText(double value);

#endif
