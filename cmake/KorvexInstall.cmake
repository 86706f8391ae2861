include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The library with the host contracts and libraries it is built against.
set(_installed_targets Korvex.Rendering.Simulation Korvex.Rendering.Simulation.Geometry Korvex.Rendering.Gpu
                       Korvex.Math.MathCore Korvex.Rendering.Utilities Korvex.Rendering.Gpu.Utilities)
# Installed names match the in-tree aliases: Korvex::Rendering.Simulation, ...
foreach(_target IN LISTS _installed_targets)
  string(REGEX REPLACE "^Korvex\\." "" _export_name ${_target})
  set_target_properties(${_target} PROPERTIES EXPORT_NAME ${_export_name})
endforeach()
install(TARGETS ${_installed_targets}
        EXPORT KorvexTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/ host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT KorvexTargets NAMESPACE Korvex:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Korvex)

configure_package_config_file(cmake/KorvexConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/KorvexConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Korvex)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KorvexConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KorvexConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/KorvexConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Korvex)
