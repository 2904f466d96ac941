#pragma once
// The find window's tree as the command line prints a search: one node a
// line, two spaces of indent per level, code lines led by "line:column: ".

#include <QAbstractItemModel>
#include <string>

namespace qv::test {

std::string TreeText(const QAbstractItemModel& model);

}  // namespace qv::test
