# The program as a citizen of the desktop: its entry in the application menus, its AppStream
# description, its file types with their icons, its icons, the thumbnailer entry and the manual
# page. All of it is installed under the prefix; the build tree needs none of it to run.

set(BRELLIN_APP_ID org.quillmere.Brellin)
set(DESKTOP_SRC ${CMAKE_CURRENT_SOURCE_DIR}/desktop)
set(DESKTOP_OUT ${CMAKE_CURRENT_BINARY_DIR}/desktop)
set(BRELLIN_ICON_SIZES 16 22 24 32 48 64 128 256)
# The document types' icons, named after their media types as the icon theme looks them up.
set(BRELLIN_MIME_ICONS application-x-brellin-document application-x-brellin-template
    application-x-brellin-draft application-x-brellin-exchange)

configure_file(${DESKTOP_SRC}/${BRELLIN_APP_ID}.metainfo.xml.in
               ${DESKTOP_OUT}/${BRELLIN_APP_ID}.metainfo.xml @ONLY)

# The PNG sizes of every icon are drawn from its SVG at build time.
add_executable(brellin_render_icon ${DESKTOP_SRC}/RenderIcon.cpp)
target_link_libraries(brellin_render_icon PRIVATE Qt6::Gui Qt6::Svg brellin_options)
set(ICON_PNGS)
foreach(icon ${BRELLIN_APP_ID} ${BRELLIN_MIME_ICONS})
  set(outputs)
  foreach(size ${BRELLIN_ICON_SIZES})
    list(APPEND outputs ${DESKTOP_OUT}/icons/${size}x${size}/${icon}.png)
  endforeach()
  add_custom_command(OUTPUT ${outputs}
                     COMMAND brellin_render_icon ${DESKTOP_SRC}/icons/${icon}.svg
                             ${DESKTOP_OUT}/icons ${icon} ${BRELLIN_ICON_SIZES}
                     DEPENDS brellin_render_icon ${DESKTOP_SRC}/icons/${icon}.svg
                     COMMENT "Drawing the icon ${icon}" VERBATIM)
  list(APPEND ICON_PNGS ${outputs})
endforeach()
add_custom_target(brellin_icons ALL DEPENDS ${ICON_PNGS})

install(FILES ${DESKTOP_SRC}/${BRELLIN_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${DESKTOP_OUT}/${BRELLIN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${DESKTOP_SRC}/${BRELLIN_APP_ID}.xml DESTINATION share/mime/packages)
install(FILES ${DESKTOP_SRC}/${BRELLIN_APP_ID}.thumbnailer DESTINATION share/thumbnailers)
install(FILES ${DESKTOP_SRC}/icons/${BRELLIN_APP_ID}.svg
        DESTINATION share/icons/hicolor/scalable/apps)
foreach(icon ${BRELLIN_MIME_ICONS})
  install(FILES ${DESKTOP_SRC}/icons/${icon}.svg DESTINATION share/icons/hicolor/scalable/mimetypes)
endforeach()
foreach(size ${BRELLIN_ICON_SIZES})
  install(FILES ${DESKTOP_OUT}/icons/${size}x${size}/${BRELLIN_APP_ID}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
  foreach(icon ${BRELLIN_MIME_ICONS})
    install(FILES ${DESKTOP_OUT}/icons/${size}x${size}/${icon}.png
            DESTINATION share/icons/hicolor/${size}x${size}/mimetypes)
  endforeach()
endforeach()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/man/brellin.1 DESTINATION share/man/man1)
