# The medium's layout and the registry keys the launcher uses are build
# options: another product's medium is served by the same sources built with
# other values. Their defaults are the values the launcher has always used.
set(SETUP_VENDOR_KEY_PREFIX "SOFTWARE\\QUORVANTIX\\" CACHE STRING
    "Product key prefix below HKEY_LOCAL_MACHINE, followed directly by the AppName")
set(SETUP_USER_DATA_KEY "Software\\QUORVANTIX\\SOLVENTRA\\Data" CACHE STRING
    "Per-user key below HKEY_CURRENT_USER that the launcher deletes")
set(SETUP_JAPANESE_FOLDER "Inst_Japanese" CACHE STRING "Folder of the Japanese edition on the medium")
set(SETUP_ENGLISH_FOLDER "Inst_English" CACHE STRING "Folder of the English edition on the medium")

# setup_medium_layout_header(<output> <vendor prefix> <user data key> <japanese> <english>)
# writes the header that launcher/medium_layout.cpp compiles in, after
# checking the values: printable ASCII (the program's byte strings are in
# the machine's code page, where only ASCII means the same everywhere), key
# paths relative, the prefix ending in a backslash, folders single names.
function(setup_medium_layout_header output prefix user_key japanese english)
  set(SETUP_VENDOR_KEY_PREFIX_value "${prefix}")
  set(SETUP_USER_DATA_KEY_value "${user_key}")
  set(SETUP_JAPANESE_FOLDER_value "${japanese}")
  set(SETUP_ENGLISH_FOLDER_value "${english}")
  foreach(option SETUP_VENDOR_KEY_PREFIX SETUP_USER_DATA_KEY SETUP_JAPANESE_FOLDER SETUP_ENGLISH_FOLDER)
    set(value "${${option}_value}")
    if(value STREQUAL "" OR NOT value MATCHES "^[ -~]+$" OR value MATCHES "\"")
      message(FATAL_ERROR "${option} '${value}': must be printable ASCII without quotes "
                          "(set it with -D${option}=...; the defaults are in cmake/MediumLayout.cmake)")
    endif()
  endforeach()
  if(prefix MATCHES "^\\\\" OR NOT prefix MATCHES "\\\\$")
    message(FATAL_ERROR "SETUP_VENDOR_KEY_PREFIX '${prefix}': must not begin and must end with a backslash")
  endif()
  if(user_key MATCHES "^\\\\" OR user_key MATCHES "\\\\$")
    message(FATAL_ERROR "SETUP_USER_DATA_KEY '${user_key}': must neither begin nor end with a backslash")
  endif()
  string(LENGTH "${prefix}" prefix_length)
  string(LENGTH "${user_key}" user_key_length)
  if(prefix_length GREATER 223 OR user_key_length GREATER 223)
    message(FATAL_ERROR "SETUP_VENDOR_KEY_PREFIX, SETUP_USER_DATA_KEY: key paths are at most 223 characters")
  endif()
  foreach(option SETUP_JAPANESE_FOLDER SETUP_ENGLISH_FOLDER)
    set(folder "${${option}_value}")
    string(LENGTH "${folder}" folder_length)
    if(folder_length GREATER 63)
      message(FATAL_ERROR "${option} '${folder}': a language folder of at most 63 characters")
    endif()
    if(folder MATCHES "[\\\\/:*?<>|]")
      message(FATAL_ERROR "${option} '${folder}': a language folder must be a single file name")
    endif()
  endforeach()
  foreach(name prefix user_key japanese english)
    string(REPLACE "\\" "\\\\" c_${name} "${${name}}")
  endforeach()
  # Written through a copy, so that an unchanged header keeps its time.
  file(WRITE ${output}.new "// Generated from the build options of cmake/MediumLayout.cmake.
#define SETUP_VENDOR_KEY_PREFIX \"${c_prefix}\"
#define SETUP_USER_DATA_KEY \"${c_user_key}\"
#define SETUP_JAPANESE_FOLDER \"${c_japanese}\"
#define SETUP_ENGLISH_FOLDER \"${c_english}\"
")
  configure_file(${output}.new ${output} COPYONLY)
endfunction()
