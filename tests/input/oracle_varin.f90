! Reads a data file (no header) with list-directed READ, one READ per line:
! the year and the first c values. Writes the year and the bit pattern of
! value c for each line, as the reference for the data-file reader.
program oracle_varin
  implicit none
  character(len=1024) :: fname, arg
  integer :: u, iy, ios, i, c
  real :: v(64)
  call get_command_argument(1, fname)
  call get_command_argument(2, arg)
  read (arg, *) c
  open (newunit=u, file=trim(fname), status='old', action='read')
  do
    read (u, *, iostat=ios) iy, (v(i), i = 1, c)
    if (ios /= 0) exit
    write (*, '(i0,1x,i0)') iy, transfer(v(c), 0)
  end do
  close (u)
end program oracle_varin
