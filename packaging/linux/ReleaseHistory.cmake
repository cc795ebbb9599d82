# Renders the release history in CHANGELOG.md for Debian and for AppStream.
#
#   qdm_release_history(FILE <CHANGELOG.md> PACKAGE <name> VERSION <version>
#                       MAINTAINER <"Name <address>">
#                       DEBIAN_OUT <var> APPSTREAM_OUT <var>)
#
# sets DEBIAN_OUT to a Debian changelog (the changelog of a native package)
# and APPSTREAM_OUT to the <releases> element of a metainfo file. An entry is
# a heading "## VERSION (YYYY-MM-DD)" followed by items "- text" whose further
# lines are indented by two spaces; blank lines may stand between items, and
# text before the first heading is an introduction that is left out. Anything
# else is refused rather than dropped, and so is a history whose newest entry
# is not VERSION, or whose entries are not in strictly descending order of
# version and date.

# The day of the week of a date, as Debian changelogs and e-mail write it.
function(_qdm_weekday year month day out)
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    if(month LESS 3)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
    set(names Sun Mon Tue Wed Thu Fri Sat)
    list(GET names ${weekday} name)
    set(${out} ${name} PARENT_SCOPE)
endfunction()

function(qdm_release_history)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "FILE;PACKAGE;VERSION;MAINTAINER;DEBIAN_OUT;APPSTREAM_OUT" "")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_FILE})
    file(READ ${arg_FILE} text)

    # CMake lists split at ';' and group at brackets: those characters stand
    # in for them while the text is a list of lines.
    string(ASCII 1 semicolon)
    string(ASCII 2 open_bracket)
    string(ASCII 3 close_bracket)
    # A line that cannot be in the file closes the last entry.
    string(ASCII 4 end_of_file)
    string(REPLACE ";" "${semicolon}" text "${text}")
    string(REPLACE "[" "${open_bracket}" text "${text}")
    string(REPLACE "]" "${close_bracket}" text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")

    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    set(debian "")
    set(appstream "  <releases>\n")
    set(version "")
    set(item_lines "")
    set(after_blank FALSE)
    set(number 0)
    list(APPEND lines "${end_of_file}")
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        string(LENGTH "${line}" length)
        if(NOT version STREQUAL "" AND length GREATER 78)
            message(FATAL_ERROR "${arg_FILE}:${number}: longer than 78 characters")
        endif()
        set(heading FALSE)
        if(line MATCHES "^##( |$)" OR line STREQUAL end_of_file)
            set(heading TRUE)
        endif()

        list(LENGTH item_lines item_length)
        if(item_length GREATER 0 AND (heading OR line MATCHES "^- "))
            # The item so far is complete.
            list(JOIN item_lines "\n    " item)
            string(APPEND debian "  * ${item}\n")
            list(JOIN item_lines " " item)
            string(REPLACE "&" "&amp;" item "${item}")
            string(REPLACE "<" "&lt;" item "${item}")
            string(REPLACE ">" "&gt;" item "${item}")
            string(REGEX REPLACE "`([^`]+)`" "<code>\\1</code>" item "${item}")
            string(APPEND appstream "          <li>${item}</li>\n")
            math(EXPR items "${items} + 1")
            set(item_lines "")
        endif()

        if(heading)
            if(NOT version STREQUAL "")
                # The entry so far is complete.
                if(items EQUAL 0)
                    message(FATAL_ERROR "${arg_FILE}: release ${version} lists no change")
                endif()
                _qdm_weekday(${year} ${month} ${day} weekday)
                list(GET months ${month_index} month_name)
                string(SUBSTRING "${date}" 8 2 two_digit_day)
                string(APPEND debian "\n -- ${arg_MAINTAINER}  "
                       "${weekday}, ${two_digit_day} ${month_name} ${year} 00:00:00 +0000\n")
                string(APPEND appstream "        </ul>\n      </description>\n    </release>\n")
            endif()
            if(line STREQUAL end_of_file)
                break()
            endif()
            if(NOT line MATCHES "^## ([0-9]+(\\.[0-9]+)*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
                message(FATAL_ERROR "${arg_FILE}:${number}: a release heading is \"## VERSION (YYYY-MM-DD)\"")
            endif()
            set(new_version ${CMAKE_MATCH_1})
            set(new_date "${CMAKE_MATCH_3}-${CMAKE_MATCH_4}-${CMAKE_MATCH_5}")
            set(year ${CMAKE_MATCH_3})
            # Leading zeros would make math() read octal.
            math(EXPR day "1${CMAKE_MATCH_5} - 100")
            math(EXPR month "1${CMAKE_MATCH_4} - 100")
            math(EXPR month_index "${month} - 1")
            if(month LESS 1 OR month GREATER 12 OR day LESS 1 OR day GREATER 31)
                message(FATAL_ERROR "${arg_FILE}:${number}: no such date ${new_date}")
            endif()
            if(version STREQUAL "")
                if(NOT new_version VERSION_EQUAL arg_VERSION)
                    message(FATAL_ERROR "${arg_FILE}:${number}: the newest release is ${new_version}, "
                            "but the project's version is ${arg_VERSION}: give the release its entry")
                endif()
            elseif(NOT new_version VERSION_LESS version OR NOT new_date STRLESS date)
                message(FATAL_ERROR "${arg_FILE}:${number}: ${new_version} (${new_date}) must be older "
                        "than ${version} (${date}) above it")
            endif()
            set(version ${new_version})
            set(date ${new_date})
            set(items 0)
            if(NOT debian STREQUAL "")
                string(APPEND debian "\n")
            endif()
            string(APPEND debian "${arg_PACKAGE} (${version}) unstable; urgency=medium\n\n")
            string(APPEND appstream "    <release version=\"${version}\" date=\"${date}\">\n"
                   "      <description>\n        <ul>\n")
        elseif(version STREQUAL "")
            # The introduction.
        elseif(line MATCHES "^- (.+)$")
            set(item_lines "${CMAKE_MATCH_1}")
            set(after_blank FALSE)
        elseif(line MATCHES "^  [^ ]" AND item_length GREATER 0 AND NOT after_blank)
            string(SUBSTRING "${line}" 2 -1 continued)
            list(APPEND item_lines "${continued}")
        elseif(line STREQUAL "")
            set(after_blank TRUE)
        else()
            message(FATAL_ERROR "${arg_FILE}:${number}: in a release, a line starts an item with \"- \" "
                    "or continues one with two spaces")
        endif()
    endforeach()
    if(version STREQUAL "")
        message(FATAL_ERROR "${arg_FILE}: no release")
    endif()
    string(APPEND appstream "  </releases>")

    foreach(out debian appstream)
        string(REPLACE "${semicolon}" ";" ${out} "${${out}}")
        string(REPLACE "${open_bracket}" "[" ${out} "${${out}}")
        string(REPLACE "${close_bracket}" "]" ${out} "${${out}}")
    endforeach()
    set(${arg_DEBIAN_OUT} "${debian}" PARENT_SCOPE)
    set(${arg_APPSTREAM_OUT} "${appstream}" PARENT_SCOPE)
endfunction()
