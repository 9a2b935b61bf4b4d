// h7sample's item-name catalogue: the names of each tabulation group, made from tables.
#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>

#include "core/groups.h"
#include "core/messages.h"
#include "sample_writer.h"

// The item names of a group, exactly as many as the group has item fields.
QStringList itemNames(const h7::TabulationGroup& g);
// What the tests rely on: exact count, short names without line ends or half-width kana,
// a few commas, exactly one quotation mark in group 1 and none elsewhere, clean Shift-JIS.
// The first rule broken, a fault of the catalogue itself.
std::optional<h7::Failure> checkNames(const h7::TabulationGroup& g, const QStringList& names);

// NAMEH7S<G>.CCC, to be written: the names, Shift-JIS, a CR LF after each.
SampleFile nameFile(const h7::TabulationGroup& g);

// The texts, UTF-8, as a list.
QStringList axis(std::initializer_list<const char*> texts);
// n in full-width digits: 12 -> "１２".
QString wide(int n);
