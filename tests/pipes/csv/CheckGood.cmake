# Generates the table of good.csv and checks the rows it wrote, byte for byte.
execute_process(COMMAND ${CMAKE_COMMAND} -DCSV=${CSV} -DOUT=${OUT} -DHEADER=${HEADER}
                        -DTYPES=${TYPES} -DROW_TYPE=${ROW_TYPE} -DFUNCTION=${FUNCTION}
                        -DINCLUDE=${INCLUDE} -P ${SCRIPT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "generating from ${CSV} failed")
endif()
file(READ ${OUT} text)
string(FIND "${text}" [[    {"plain", 1.5},]] plain)
string(FIND "${text}" [[    {"quote \" back \\ semi; [x]", 2},]] escaped)
string(FIND "${text}" [[constexpr Row kRows[2] = {]] array)
if(plain EQUAL -1 OR escaped EQUAL -1 OR array EQUAL -1)
    message(FATAL_ERROR "a row is missing or differs:\n${text}")
endif()
