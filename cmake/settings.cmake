# The services the program talks to, compiled in. The defaults name the bundled demo course
# site on loopback. Also runs on its own, to check a set of values:
#   cmake -D VELKARI_VIDEO_SERVICE_USER_ID=... -P cmake/settings.cmake
set(VELKARI_COURSE_SITE_HOST "127.0.0.1:29360" CACHE STRING "Host[:port] of the course site")
set(VELKARI_VIDEO_SERVICE_HOST "127.0.0.1:29361" CACHE STRING "Host[:port] of the video service")
set(VELKARI_VIDEO_SERVICE_USER_ID "0D3E0C0A5E936001" CACHE STRING
  "Account id at the video service: 16 upper-case hexadecimal characters")

foreach(host VELKARI_COURSE_SITE_HOST VELKARI_VIDEO_SERVICE_HOST)
  if(NOT "${${host}}" MATCHES "^[A-Za-z0-9._-]+(:[0-9]+)?$")
    message(FATAL_ERROR "${host} must be a host name or address with an optional :port, not '${${host}}'")
  endif()
endforeach()
string(LENGTH "${VELKARI_VIDEO_SERVICE_USER_ID}" user_id_length)
if(NOT user_id_length EQUAL 16 OR NOT "${VELKARI_VIDEO_SERVICE_USER_ID}" MATCHES "^[0-9A-F]+$")
  message(FATAL_ERROR "VELKARI_VIDEO_SERVICE_USER_ID must be 16 upper-case hexadecimal characters, not '${VELKARI_VIDEO_SERVICE_USER_ID}'")
endif()
