# Desktop integration (launcher, icon, AppStream metainfo) and the Debian package.
# Everything here takes the product identity from project() and STALEGUARD_COMPANY.

set(STALEGUARD_SUMMARY "Reminds you of files that have grown too old or have changed")
# The date of the release named by PROJECT_VERSION; move it on together with the version.
set(STALEGUARD_RELEASE_DATE "2026-12-07")

set(STALEGUARD_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(STALEGUARD_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)

configure_file(${STALEGUARD_PACKAGING_DIR}/com.quillfen.Staleguard.desktop.in
    ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_APP_ID}.desktop @ONLY)
configure_file(${STALEGUARD_PACKAGING_DIR}/com.quillfen.Staleguard.metainfo.xml.in
    ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_APP_ID}.metainfo.xml @ONLY)

install(FILES ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The program's own icon is the launcher icon; the packaging copy only stands in while there is none.
if(EXISTS ${PROJECT_SOURCE_DIR}/src/resources/staleguard.svg)
    set(STALEGUARD_ICON_SVG ${PROJECT_SOURCE_DIR}/src/resources/staleguard.svg)
else()
    set(STALEGUARD_ICON_SVG ${STALEGUARD_PACKAGING_DIR}/staleguard.svg)
endif()
install(FILES ${STALEGUARD_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${STALEGUARD_APP_ID}.svg)

# PNG sizes for desktops that do not draw SVG icons, rendered at build time.
set(STALEGUARD_ICON_SIZES 16 24 32 48 64 128 256)
add_executable(staleguard_render_icon ${STALEGUARD_PACKAGING_DIR}/RenderIcon.cpp)
target_link_libraries(staleguard_render_icon PRIVATE Qt6::Gui Qt6::Svg)
set_target_properties(staleguard_render_icon PROPERTIES AUTOMOC OFF)
set(STALEGUARD_ICON_PNG_DIR ${STALEGUARD_GENERATED_DIR}/icons)
set(STALEGUARD_ICON_PNGS)
foreach(size ${STALEGUARD_ICON_SIZES})
    list(APPEND STALEGUARD_ICON_PNGS ${STALEGUARD_ICON_PNG_DIR}/${size}.png)
endforeach()
# Leak reports of a sanitizer build would fail the build for a tool that ends straight away.
add_custom_command(OUTPUT ${STALEGUARD_ICON_PNGS}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
        $<TARGET_FILE:staleguard_render_icon> ${STALEGUARD_ICON_SVG} ${STALEGUARD_ICON_PNG_DIR}
        ${STALEGUARD_ICON_SIZES}
    DEPENDS staleguard_render_icon ${STALEGUARD_ICON_SVG}
    COMMENT "Rendering the icon's PNG sizes"
    VERBATIM)
add_custom_target(staleguard_icons ALL DEPENDS ${STALEGUARD_ICON_PNGS})
foreach(size ${STALEGUARD_ICON_SIZES})
    install(FILES ${STALEGUARD_ICON_PNG_DIR}/${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${STALEGUARD_APP_ID}.png)
endforeach()

# The manual page, and a systemd user service and timer that run `--check` every hour.
string(TOUPPER "${PROJECT_NAME}" PROJECT_NAME_UPPER)
string(TOLOWER "${PROJECT_NAME}" PROJECT_NAME_LOWER)
set(STALEGUARD_CHECK_UNIT ${PROJECT_NAME_LOWER}-check)
set(STALEGUARD_SYSTEMD_USER_DIR lib/systemd/user)
set(STALEGUARD_SYSTEMD_USER_FULL_DIR ${CMAKE_INSTALL_PREFIX}/${STALEGUARD_SYSTEMD_USER_DIR})
configure_file(${STALEGUARD_PACKAGING_DIR}/check.service.in
    ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_CHECK_UNIT}.service @ONLY)
configure_file(${STALEGUARD_PACKAGING_DIR}/check.timer.in ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_CHECK_UNIT}.timer @ONLY)
install(FILES ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_CHECK_UNIT}.service
    ${STALEGUARD_GENERATED_DIR}/${STALEGUARD_CHECK_UNIT}.timer DESTINATION ${STALEGUARD_SYSTEMD_USER_DIR})

# What monitoring systems load from the package: Prometheus alert rules on the textfile report, and
# an Icinga 2 CheckCommand for the nagios format.
set(STALEGUARD_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME_LOWER})
set(STALEGUARD_SHARE_FULL_DIR ${CMAKE_INSTALL_FULL_DATADIR}/${PROJECT_NAME_LOWER})
install(FILES ${STALEGUARD_PACKAGING_DIR}/prometheus/staleguard.rules.yml DESTINATION ${STALEGUARD_SHARE_DIR}/prometheus)
install(FILES ${STALEGUARD_PACKAGING_DIR}/icinga2/staleguard.conf DESTINATION ${STALEGUARD_SHARE_DIR}/icinga2)

configure_file(${STALEGUARD_PACKAGING_DIR}/Staleguard.1.in ${STALEGUARD_GENERATED_DIR}/${PROJECT_NAME}.1 @ONLY)
# Compressed as Debian installs manual pages; under man/ of the build tree, so MANPATH can point there.
set(STALEGUARD_MAN_PAGE ${PROJECT_BINARY_DIR}/man/man1/${PROJECT_NAME}.1.gz)
add_custom_command(OUTPUT ${STALEGUARD_MAN_PAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man/man1
    COMMAND gzip -9n -c ${STALEGUARD_GENERATED_DIR}/${PROJECT_NAME}.1 > ${STALEGUARD_MAN_PAGE}
    DEPENDS ${STALEGUARD_GENERATED_DIR}/${PROJECT_NAME}.1
    COMMENT "Compressing the manual page")
add_custom_target(staleguard_man_page ALL DEPENDS ${STALEGUARD_MAN_PAGE})
install(FILES ${STALEGUARD_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian package. The prefix inside the package is /usr whatever CMAKE_INSTALL_PREFIX says.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "staleguard")
set(CPACK_PACKAGE_VENDOR "${STALEGUARD_COMPANY}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${STALEGUARD_SUMMARY}")
# The long description, wrapped for the package's control file.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "${PROJECT_NAME} keeps an eye on the files you care about and tells you when one\n"
    "has grown too old or has changed: the nightly backup that did not run, the\n"
    "accounts sheet someone edited.\n"
    "\n"
    "You subscribe to a file, or to the newest or oldest file of a folder, say how\n"
    "many days old it may get and whether you want to hear about changes. Every\n"
    "entry is checked each time the program starts, and what needs attention is\n"
    "listed in its main window; a reminder can be postponed, stopped for good or\n"
    "printed as a report. Minimized, it waits as a flashing icon in the\n"
    "notification area.")
set(CPACK_PACKAGE_CONTACT "${STALEGUARD_COMPANY} <${STALEGUARD_CONTACT}>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${STALEGUARD_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these as plugins at run time, so shlibdeps cannot see them: the platform plugins
# (without them the program cannot open a window) and the SVG image and icon engines.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")

include(CPack)
