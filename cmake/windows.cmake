# The Windows runtime: a GUI program (entry WinMain) with the icon and version resources, linked
# statically so that it needs no DLL beside it. Included by the top-level CMakeLists when WIN32.
enable_language(RC)

target_compile_definitions(${KORVEX_PLATFORM} PUBLIC NOMINMAX)
# The oldest Windows the runtime runs on, Windows 7 (README: the runtime on Windows): the headers then
# declare nothing newer, and tests/windows_imports.txt lists every function the release imports.
target_compile_definitions(${KORVEX_PLATFORM} PUBLIC _WIN32_WINNT=0x0601 WINVER=0x0601)
target_sources(korvex PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/win32/korvex.rc)
target_link_options(korvex PRIVATE -mwindows -static -static-libgcc -static-libstdc++)
target_link_libraries(korvex PRIVATE user32 gdi32 advapi32)
# The file and folder choosers: the common dialogs, the shell and COM.
target_link_libraries(${KORVEX_PLATFORM} INTERFACE comdlg32 shell32 ole32)
# The packer is a console program, also linked statically.
target_link_options(kxpack PRIVATE -static -static-libgcc -static-libstdc++)

# The GUI test driver: waits for windows by title, reads their controls and presses their buttons.
option(KORVEX_GUI_DRIVER "Build the GUI test driver beside the runtime" ON)
if(KORVEX_GUI_DRIVER)
  add_executable(korvex_gui_driver ${CMAKE_SOURCE_DIR}/tests/gui/driver.cpp)
  target_compile_definitions(korvex_gui_driver PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_options(korvex_gui_driver PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(korvex_gui_driver PRIVATE user32 gdi32 advapi32)
endif()

