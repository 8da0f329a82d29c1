# Installs the Python package quintel into the folder the system's Python reads for the prefix
# of this installation: the Debian system folder lib/python3/dist-packages for /usr, else
# lib/python3.X/dist-packages (site-packages where Python is not Debian's), which the system's
# Python reads for /usr/local. Then records where the installation's library is, relative to the
# package, so that the package finds it wherever the installation was put.
# Runs at install time with ZO_PYTHON_PACKAGE, ZO_LIBDIR and ZO_PYTHON set.

if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(site lib/python3/dist-packages)
else()
  set(version 3)
  if(ZO_PYTHON)
    execute_process(COMMAND ${ZO_PYTHON} -c "import sysconfig; print(sysconfig.get_python_version())"
                    OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  set(folder site-packages)
  if(EXISTS /usr/lib/python3/dist-packages)
    set(folder dist-packages)
  endif()
  set(site lib/python${version}/${folder})
endif()

file(INSTALL ${ZO_PYTHON_PACKAGE} DESTINATION "${CMAKE_INSTALL_PREFIX}/${site}"
     FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)
file(RELATIVE_PATH library_folder "${CMAKE_INSTALL_PREFIX}/${site}/quintel"
     "${CMAKE_INSTALL_PREFIX}/${ZO_LIBDIR}")
set(record "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${site}/quintel/_installation.py")
message(STATUS "Installing: ${record}")
file(WRITE "${record}"
     "# Written at installation: the folder of this installation's QuintelDrv library, relative\n"
     "# to this package.\nLIBRARY_FOLDER = \"${library_folder}\"\n")
