# Headers that most files of a target include, parsed once per target
# instead of once per file: the test framework, the JSON library and Qt's
# widget headers are most of what a compile of one of our files parses.
# -DQV_PRECOMPILED_HEADERS=OFF builds without them, to check that each file
# includes what it uses.
option(QV_PRECOMPILED_HEADERS "Precompile the headers most files of a target include" ON)

# qv_precompile(target [TEST] [JSON] [QT]): the standard headers, and those
# of the test framework, the JSON library or Qt's widgets.
function(qv_precompile target)
  cmake_parse_arguments(ARG "TEST;JSON;QT" "" "" ${ARGN})
  if(NOT QV_PRECOMPILED_HEADERS)
    return()
  endif()
  set(headers <algorithm> <functional> <map> <memory> <optional> <string> <string_view> <vector>)
  if(ARG_TEST)
    list(APPEND headers <filesystem> <gtest/gtest.h>)
  endif()
  if(ARG_JSON)
    list(APPEND headers <nlohmann/json.hpp>)
  endif()
  if(ARG_QT)
    list(APPEND headers <QApplication> <QLabel> <QMessageBox> <QPlainTextEdit> <QString>
                        <QTimer> <QTreeWidget> <QVBoxLayout> <QWidget>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
