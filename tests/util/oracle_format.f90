program oracle_format
end program
