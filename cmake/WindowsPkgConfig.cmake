# Windows with vcpkg: the libraries are found through their pkg-config files as on Linux, read by
# the pkgconf that vcpkg builds for the host (a host dependency in vcpkg.json) from the folder
# where vcpkg installed the manifest's libraries. Release libraries are used for every
# configuration.
if(DEFINED VCPKG_INSTALLED_DIR AND DEFINED VCPKG_TARGET_TRIPLET)
  set(_tovrenic_vcpkg_host_triplet ${VCPKG_TARGET_TRIPLET})
  if(DEFINED VCPKG_HOST_TRIPLET)
    set(_tovrenic_vcpkg_host_triplet ${VCPKG_HOST_TRIPLET})
  endif()
  find_program(PKG_CONFIG_EXECUTABLE NAMES pkgconf pkg-config
    PATHS "${VCPKG_INSTALLED_DIR}/${_tovrenic_vcpkg_host_triplet}/tools/pkgconf"
    NO_DEFAULT_PATH)
  set(_tovrenic_vcpkg_prefix "${VCPKG_INSTALLED_DIR}/${VCPKG_TARGET_TRIPLET}")
  set(ENV{PKG_CONFIG_PATH}
      "${_tovrenic_vcpkg_prefix}/lib/pkgconfig;${_tovrenic_vcpkg_prefix}/share/pkgconfig")
else()
  message(WARNING "No vcpkg toolchain: configure with the windows preset, which sets it")
endif()
