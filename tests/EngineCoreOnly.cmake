# Run by ctest as `cmake -DOBJDUMP=... -DPROGRAMS=a|b -DSOURCES_LIST=file -P EngineCoreOnly.cmake`.
# Fails when a program built from the engine alone needs a Qt library other than Core (and Test), or
# when an engine file names a GUI header or class. The engine compiles with Qt Core's include path
# only, but that path still reaches <QtWidgets/QWidget>, and a forward declaration needs no header.

set(failures "")

string(REPLACE "|" ";" programs "${PROGRAMS}")
if(NOT programs)
    message(FATAL_ERROR "no engine test programs were given")
endif()
foreach(program ${programs})
    execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} -p ${program} failed")
    endif()
    string(REGEX MATCHALL "NEEDED +libQt6[A-Za-z]+" qt_needed "${headers}")
    if(NOT qt_needed)
        string(APPEND failures "${program}: links no Qt library at all, the check is looking at the wrong file\n")
    endif()
    foreach(entry ${qt_needed})
        string(REGEX REPLACE "NEEDED +" "" library "${entry}")
        if(NOT library MATCHES "^libQt6(Core|Test)$")
            string(APPEND failures "${program}: needs ${library}\n")
        endif()
    endforeach()
endforeach()

set(gui_name_pattern
    "(^|[^A-Za-z0-9_])(QtGui|QtWidgets|QtPrintSupport|QtSvg|QWidget|QGuiApplication|QApplication|QMainWindow|QDialog|QMessageBox|QScreen|QIcon|QPixmap|QImage|QPainter)([^A-Za-z0-9_]|$)")
file(STRINGS ${SOURCES_LIST} sources)
if(NOT sources)
    message(FATAL_ERROR "${SOURCES_LIST} names no engine files")
endif()
foreach(source ${sources})
    file(STRINGS ${source} lines)
    foreach(line IN LISTS lines)
        if(line MATCHES "${gui_name_pattern}")
            string(APPEND failures "${source}: ${line}\n")
        endif()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "The engine reaches for the window system:\n${failures}")
endif()
list(LENGTH programs program_count)
list(LENGTH sources source_count)
message(STATUS "${program_count} engine programs on Qt Core alone; ${source_count} engine files name no GUI part")
