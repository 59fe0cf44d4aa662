! Reads a data file of one header line and lines "year v(1) .. v(ncol)" with
! list-directed READ, one READ per line, and returns the sum of column ncol.
function gfortran_read_all(path, plen, ncol) bind(C, name="gfortran_read_all") result(total)
  use iso_c_binding, only: c_char, c_int, c_double
  implicit none
  integer(c_int), value :: plen, ncol
  character(kind=c_char), intent(in) :: path(plen)
  real(c_double) :: total
  character(len=plen) :: fname
  integer :: u, iy, ios, i
  real :: v(64)

  do i = 1, plen
    fname(i:i) = path(i)
  end do
  total = 0.0d0
  open(newunit=u, file=fname, status='old', action='read')
  read(u, *)
  do
    read(u, *, iostat=ios) iy, (v(i), i = 1, ncol)
    if (ios /= 0) exit
    total = total + dble(v(ncol))
  end do
  close(u)
end function gfortran_read_all
