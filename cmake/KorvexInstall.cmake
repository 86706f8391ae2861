include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The library with the host contracts and libraries it is built against.
install(TARGETS Korvex.Rendering.Simulation Korvex.Rendering.Simulation.Geometry Korvex.Rendering.Gpu
                Korvex.Math.MathCore Korvex.Rendering.Utilities Korvex.Rendering.Gpu.Utilities
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
